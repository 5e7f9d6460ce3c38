#include "template/FormatOps.h"

#include "storage/Database.h"
#include "storage/DataGrid.h"
#include "storage/Progress.h"
#include "storage/Prompt.h"
#include "storage/TextNumber.h"
#include "template/Background.h"
#include "template/FormatRecords.h"
#include "template/SelFormat.h"
#include "template/SlipTemplate.h"

#include <QSet>

namespace slip {

bool SlipSizeAcceptable(double w, double h)
{
    if (!(w > 0) || !(h > 0)) return false;
    const double ratio = w / h;
    return ratio >= 1.0 / 20 && ratio <= 20;
}

bool FormatOps::FormatExists(const QString& name)
{
    Recordset rs = OpenRecordset(QStringLiteral("SELECT ID FROM Fmt WHERE Fmt=? LIMIT 1"), {name});
    return rs.ok && !rs.isEmpty();
}

void FormatOps::ChooseFormat(QString name, bool force)
{
    if (name.isEmpty()) name = host_.ShowFormatList();
    if (name.isEmpty()) return;
    if (name == t_.state.name && !force) return;
    if (name != t_.state.name) {
        if (!t_.state.name.isEmpty()) t_.SaveDefaultRecord(t_.state.name);
        t_.state.name = name;
        host_.FormatNameChanged();
    }
    InitFormat(name);
    SaveCurrentFormatState(name, t_.state.options.o2);
    host_.AutoFillDates();
    for (int i = 0; i < 5; ++i) host_.OptionClicked(i);
}

void FormatOps::InitFormat(const QString& name)
{
    host_.SetCanvasVisible(false);
    host_.ClearBatchRecords();
    ProgressStart(QStringLiteral("正在初始化格式……"), 6, 0);
    ProgressStep(1, QStringLiteral("pages"));
    LoadFormatHeader(name, t_.state, ScreenWidthTwips());
    ProgressStep(1, QStringLiteral("pages"));
    host_.FitCanvas(Val(t_.state.width), Val(t_.state.height));
    ProgressStep(1, QStringLiteral("pages"));
    t_.LoadFormatGrid(t_.state.name);
    ProgressStep(1, QStringLiteral("pages"));
    t_.ReloadFormat(false);
    ProgressStep(1, QStringLiteral("pages"));
    t_.LoadDefaultRecord(name);
    ProgressEnd();
    host_.SetCanvasVisible(true);
}

bool FormatOps::SaveFormat(const QString& nameIn)
{
    const QString name = nameIn.isEmpty() ? t_.state.name : nameIn;
    if (name.isEmpty()) return false;
    // Keep the IDs and references so that a failed save leaves the table as it was.
    BoxTable& table = t_.table;
    QVector<QStringList> saved;
    for (int r = table.FirstDataRow(); r < table.Rows(); ++r)
        saved << QStringList{table.TextMatrix(r, BoxTable::ColID), table.TextMatrix(r, BoxTable::ColRCtl),
                             table.TextMatrix(r, BoxTable::ColSumID), table.TextMatrix(r, BoxTable::ColSumID1)};
    bool ok = false;
    ProgressStart(QStringLiteral("正在保存格式……"), table.Rows() + 1, 0);
    {
        DbConnection conn;
        if (conn.isOpen() && conn.begin()) {
            QSet<qint64> kept;
            for (int r = table.FirstDataRow(); r < table.Rows(); ++r)
                if (auto id = table.IdAt(r)) kept.insert(*id);
            Recordset rs = OpenRecordset(QStringLiteral("SELECT ID FROM Fmt WHERE Fmt=? ORDER BY ID"), {name}, &conn);
            ok = rs.ok;
            for (int i = 0; ok && i < rs.RecordCount(); ++i) {
                const qint64 id = rs.rows[i][0].toLongLong();
                if (!kept.contains(id)) ok = ExecuteSql(QStringLiteral("DELETE FROM Fmt WHERE ID=?"), {id}, &conn);
            }
            ProgressStep(1, QStringLiteral("pages"));
            ok = ok && t_.SaveRowsToFmtRecords(name, conn, false);
            ProgressStep(table.DataRowCount(), QStringLiteral("pages"));
            ok = ok && SaveFormatHeader(name, t_.state, ScreenWidthTwips(), &conn);
            ok = ok && conn.commit();
            if (!ok) conn.rollback();
        }
    }
    ProgressEnd();
    if (!ok) {
        for (int r = table.FirstDataRow(), i = 0; r < table.Rows() && i < saved.size(); ++r, ++i) {
            table.SetTextMatrix(r, BoxTable::ColID, saved[i][0]);
            table.SetTextMatrix(r, BoxTable::ColRCtl, saved[i][1]);
            table.SetTextMatrix(r, BoxTable::ColSumID, saved[i][2]);
            table.SetTextMatrix(r, BoxTable::ColSumID1, saved[i][3]);
        }
        MsgBox(QStringLiteral("格式保存失败，数据库未作任何修改！"), PromptIcon::Critical);
        return false;
    }
    ResetGridColors(table, 0);
    return true;
}

bool FormatOps::SaveFormatAs(QString name, bool overwriteConfirmed)
{
    if (name.isEmpty())
        name = RunSelFormat(QStringLiteral("Format"), true, QStringLiteral("请选择格式名称"), t_.state.name);
    if (name.isEmpty()) return false;
    if (!overwriteConfirmed && FormatExists(name) &&
        Question(QStringLiteral("该格式已经存在，是否覆盖？")) != PromptAnswer::Yes)
        return false;
    const QString old = t_.state.name;
    CopyBackgroundPicture(old, name);
    if (!old.isEmpty()) t_.SaveDefaultRecord(old);
    if (!SaveFormat(name)) return false;
    t_.state.name = name;
    host_.FormatNameChanged();
    SaveCurrentFormatState(name, t_.state.options.o2);
    return true;
}

bool FormatOps::DeleteFormat(QString name)
{
    if (name.isEmpty())
        name = RunSelFormat(QStringLiteral("Format"), false, QStringLiteral("请选择格式名称"), t_.state.name);
    if (name.isEmpty()) return false;
    if (name == t_.state.name) {
        MsgBox(QStringLiteral("此格式为当前格式，不允许删除！"), PromptIcon::Warning);
        return false;
    }
    if (Question(QStringLiteral("您确定要删除格式：“") + name + QStringLiteral("”？")) != PromptAnswer::Yes)
        return false;
    bool ok = false;
    {
        DbConnection conn;
        if (conn.isOpen() && conn.begin()) {
            ok = ExecuteSql(QStringLiteral("DELETE FROM 历史 WHERE Fmt=?"), {name}, &conn) &&
                 ExecuteSql(QStringLiteral("DELETE FROM 映射 WHERE Fmt=?"), {name}, &conn) &&
                 ExecuteSql(QStringLiteral("DELETE FROM Fmt WHERE Fmt=?"), {name}, &conn) && conn.commit();
            if (!ok) conn.rollback();
        }
    }
    if (!ok) {
        MsgBox(QStringLiteral("删除格式失败，格式未被删除！"), PromptIcon::Critical);
        return false;
    }
    MsgBox(QStringLiteral("删除完成！"));
    return true;
}

void FormatOps::PullBoxesInside()
{
    const int W = int(host_.CanvasWidthTwips());
    const int H = int(host_.CanvasHeightTwips());
    if (W <= 0 || H <= 0) return;
    ProgressStart(QStringLiteral("正在检查所有内容框..."), 5, 0);
    int lastClass = 0;
    t_.ForEachBox([&](SlipBox* b) {
        for (; lastClass < b->Class; ++lastClass) ProgressStep(1, QStringLiteral("pages"));
        bool changed = false;
        auto clamp = [&](int& v, int lo, int hi) {
            if (v < lo) { v = lo; changed = true; }
            else if (v > hi) { v = hi; changed = true; }
        };
        if (b->Class == kLineBox) {
            clamp(b->X1, 0, W);
            clamp(b->X2, 0, W);
            clamp(b->Y1, 0, H);
            clamp(b->Y2, 0, H);
        } else {
            if (b->Left < 0 && b->Top < 0) {
                b->Left = 0;
                b->Top = 300;
                changed = true;
            }
            if (b->Left < 0) { b->Left = 0; changed = true; }
            if (b->Left > W - b->Width) { b->Left = W - b->Width; changed = true; }
            if (b->Top < 0) { b->Top = 0; changed = true; }
            if (b->Top > H - b->Height) { b->Top = H - b->Height; changed = true; }
        }
        if (!changed) return;
        b->Refresh();
        if (b->Class <= kPictureBox) t_.PlaceCaptionLabel(b, -1);
        t_.SaveCtlToRow(b);
    });
    for (; lastClass < 5; ++lastClass) ProgressStep(1, QStringLiteral("pages"));
    ProgressEnd();
}

bool FormatOps::NewFormat()
{
    const QString title = QStringLiteral("Sorvelin进账单-新建格式模板");
    const auto name = InputBox(QStringLiteral("请输入需要新建的格式名称："), title, QString());
    if (!name || name->trimmed().isEmpty()) return false;
    double w = 0, h = 0;
    for (;;) {
        auto ask = [&](const QString& prompt, const QString& zeroMessage, const QString& def, double& out) {
            for (;;) {
                const auto a = InputBox(prompt, title, def);
                if (!a || a->isEmpty()) return false;
                out = Val(*a);
                if (out != 0) return true;
                MsgBox(zeroMessage, PromptIcon::Warning);
            }
        };
        if (!ask(QStringLiteral("输入格式模板宽度（单位：毫米）："), QStringLiteral("单据宽度不能为零！"), t_.state.width, w))
            return false;
        if (!ask(QStringLiteral("输入格式模板高度（单位：毫米）："), QStringLiteral("单据高度不能为零！"), t_.state.height, h))
            return false;
        if (SlipSizeAcceptable(w, h)) break;
        MsgBox(QStringLiteral("单据的宽度与高度比例应为1：20到20：1之间,请重新输入！"), PromptIcon::Warning);
    }
    // Ask before anything of the open format is touched.
    if (FormatExists(*name) && Question(QStringLiteral("该格式已经存在，是否覆盖？")) != PromptAnswer::Yes)
        return false;
    while (t_.table.DataRowCount() > 0) t_.table.RemoveRow(t_.table.LastRow());
    t_.UnloadAllInputBoxes();
    if (Val(t_.state.width) != w || Val(t_.state.height) != h) {
        t_.state.width = NumberText(w);
        t_.state.height = NumberText(h);
        host_.FitCanvas(w, h);
        t_.ReloadFormat(true);
    }
    return SaveFormatAs(*name, true);
}

} // namespace slip
