#include "template/BoxTable.h"

#include "storage/DataGrid.h"
#include "storage/TextNumber.h"
#include "template/BoxRules.h"

#include <cmath>
#include <QSet>
#include <limits>

namespace slip {

namespace {

std::optional<double> StrictNumber(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

qint32 RoundedInt32(double v)
{
    const qint64 r = RoundHalfEven(v);
    if (r > std::numeric_limits<qint32>::max() || r < std::numeric_limits<qint32>::min()) return 0;
    return qint32(r);
}

} // namespace

const QStringList& BoxTable::FieldSpecs()
{
    static const QStringList specs = {
        "ID", "", "LBL", "Dir", "X", "Y", "W", "H", "S", "L", "Color", "fName", "fSize",
        "fBold", "fItalic", "fUnderline", "fStrikethru", "Clas", "Cash", "RCtl", "SumID", "SumID1",
        "Mem"};
    return specs;
}

const QStringList& BoxTable::Captions()
{
    static const QStringList captions = {
        "ID", "序号", "标签内容", "标签位置", "横向位置(毫米)", "纵向位置(毫米)", "宽度(毫米)",
        "高度(毫米)", "字间距(毫米)", "行距(毫米)", "字体颜色", "字体", "字号", "黑体", "斜体",
        "下划线", "删除线", "类别", "数据类别", "关联项", "累加框", "累加框1", "固定文字"};
    return captions;
}

BoxTable::BoxTable(QObject* parent) : GridModel(parent)
{
    SetupColumns();
}

void BoxTable::SetupColumns()
{
    SetRows(0);
    SetCols(kColumns);
    SetRows(kFirstDataRow);
    SetFixedRows(kFirstDataRow);
    SetFixedCols(2);
    SetRowHeight(0, 0);
    for (int c = 0; c < kColumns; ++c) {
        SetTextMatrix(0, c, FieldSpecs()[c]);
        SetTextMatrix(1, c, Captions()[c]);
    }
    SetColWidth(ColID, 900);
    SetColWidth(ColMem, 0);
    Tag = QStringLiteral("Fmt");
}

std::optional<qint32> BoxTable::IdAt(int row) const
{
    if (!IsDataRow(row)) return std::nullopt;
    const auto v = StrictNumber(TextMatrix(row, ColID));
    if (!v || *v != std::trunc(*v) || std::fabs(*v) > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(*v);
}

double BoxTable::NumberAt(int row, int col) const { return Val(TextMatrix(row, col)); }

qint32 BoxTable::RCtlAt(int row) const { return RoundedInt32(NumberAt(row, ColRCtl)); }
qint32 BoxTable::SumIDAt(int row) const { return RoundedInt32(NumberAt(row, ColSumID)); }
qint32 BoxTable::SumID1At(int row) const { return RoundedInt32(NumberAt(row, ColSumID1)); }
int BoxTable::DirAt(int row) const { return DirTextToCode(TextMatrix(row, ColDir)); }
double BoxTable::CashAt(int row) const { return NumberAt(row, ColCash); }

int BoxTable::ClasAt(int row) const
{
    const double v = NumberAt(row, ColClas);
    const qint64 c = RoundHalfEven(v);
    return IsValidBoxClass(int(c)) && c == qint64(int(c)) ? int(c) : -1;
}

void BoxTable::SetNumber(int row, int col, double v) { SetTextMatrix(row, col, NumberText(v)); }

void BoxTable::SetFlag(int row, int col, bool on)
{
    SetTextMatrix(row, col, on ? QStringLiteral("√") : QString());
}

qint32 BoxTable::ColorAt(int row) const { return GetGridCellColor(*this, row, ColColor, false); }

void BoxTable::SetColorAt(int row, qint32 bgr) { SetGridCellColor(*this, row, ColColor, bgr, false); }

int BoxTable::FindRowById(qint64 id) const
{
    for (int r = kFirstDataRow; r < Rows(); ++r) {
        const auto v = IdAt(r);
        if (v && *v == id) return r;
    }
    return 0;
}

qint32 BoxTable::GetNewTempID() const
{
    qint64 lowest = 0;
    QSet<qint64> records;
    for (int r = kFirstDataRow; r < Rows(); ++r) {
        const qint64 v = qint64(std::trunc(Val(TextMatrix(r, ColID))));
        if (v < lowest) lowest = v;
        if (v > 0) records.insert(v);
    }
    qint64 id = lowest < 0 ? lowest - 1 : -1;
    while (records.contains(-id)) --id;
    return qint32(id);
}

int BoxTable::AddBoxRow()
{
    const qint32 id = GetNewTempID();
    const int row = AddRow();
    SetTextMatrix(row, ColID, QString::number(id));
    SetTextMatrix(row, ColSeq, QString::number(row - kFirstDataRow + 1));
    SetTextMatrix(row, ColDir, QStringLiteral("左边"));
    for (int c : {ColS, ColL, ColCash, ColRCtl, ColSumID, ColSumID1}) SetTextMatrix(row, c, "0");
    return row;
}

void BoxTable::CopyRow(int s, int t)
{
    if (s == t || !IsDataRow(s) || !IsDataRow(t)) return;
    for (int c = ColLBL; c <= ColSumID1; ++c) SetTextMatrix(t, c, TextMatrix(s, c));
    SetCellBackColor(t, ColColor, CellBackColor(s, ColColor));
}

void BoxTable::RemapReferences(const QHash<qint64, qint64>& oldToNew)
{
    for (int r = kFirstDataRow; r < Rows(); ++r) {
        for (int c : {ColRCtl, ColSumID, ColSumID1}) {
            const QString text = TextMatrix(r, c);
            const auto v = StrictNumber(text);
            if (!v) continue;
            const double mapped = RemapReference(*v, oldToNew);
            if (mapped != *v) SetTextMatrix(r, c, NumberText(mapped));
        }
    }
}

void BoxTable::Renumber()
{
    for (int r = kFirstDataRow; r < Rows(); ++r)
        SetTextMatrix(r, ColSeq, QString::number(r - kFirstDataRow + 1));
}

} // namespace slip
