#include "template/SlipTemplate.h"

#include "entry/Conversion.h"
#include "storage/CommonHelpers.h"
#include "storage/DataGrid.h"
#include "storage/Database.h"
#include "storage/Progress.h"
#include "storage/Prompt.h"
#include "storage/Params.h"
#include "storage/TextNumber.h"
#include "storage/WindowHelpers.h"
#include "template/PictureBox.h"
#include "template/SelFormat.h"

#include <QLabel>
#include <QPainter>
#include <QTextEdit>
#include <algorithm>
#include <cmath>

namespace slip {

namespace {

constexpr qint32 kMarkGrey = 0xD0D0D0;
constexpr qint32 kWhite = 0xFFFFFF;

std::optional<double> CellNumber(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

Qt::PenStyle LineStyle(int borderStyle)
{
    switch (borderStyle) {
    case 0: return Qt::NoPen;
    case 2: return Qt::DashLine;
    case 3: return Qt::DotLine;
    case 4: return Qt::DashDotLine;
    case 5: return Qt::DashDotDotLine;
    default: return Qt::SolidLine;
    }
}

} // namespace

SlipTemplate::SlipTemplate(QWidget* canvas, QObject* parent) : QObject(parent), canvas_(canvas) {}

SlipTemplate::~SlipTemplate()
{
    for (auto& v : boxes_)
        for (SlipBox* b : v) delete b;
}

void SlipTemplate::SetCanvasMetrics(double canvasWidthTwips, double frameWidthTwips)
{
    if (std::isfinite(canvasWidthTwips) && canvasWidthTwips > 0) canvasWidth_ = canvasWidthTwips;
    if (std::isfinite(frameWidthTwips) && frameWidthTwips > 0) frameWidth_ = frameWidthTwips;
}

double SlipTemplate::Zoom() const
{
    return frameWidth_ > 0 ? canvasWidth_ / frameWidth_ : 1.0;
}

double SlipTemplate::TwipsPerMm() const { return CanvasScale(canvasWidth_, Val(state.width)); }
double SlipTemplate::ToMm(double twips) const { return TwipsToMm(twips, TwipsPerMm()); }
int SlipTemplate::ToTwips(double mm) const { return MmToTwips(mm, TwipsPerMm()); }

int SlipTemplate::Count(int clas) const
{
    return IsValidBoxClass(clas) ? int(boxes_[clas].size()) : 0;
}

SlipBox* SlipTemplate::GetControlByIndex(int index) const
{
    const int c = ClassOfIndex(index);
    if (c < 0) return nullptr;
    const int n = index - c * 1000;
    if (n < 1 || n > Count(c)) return nullptr;
    return boxes_[c][n - 1];
}

SlipBox* SlipTemplate::CreateInputBox(int clas, int& row)
{
    if (!IsValidBoxClass(clas)) return nullptr;
    if (Count(clas) >= kMaxBoxesPerClass) {
        MsgBox(QStringLiteral("每类输入框最多999个，不能再添加！"), PromptIcon::Warning);
        return nullptr;
    }
    const int index = clas * 1000 + Count(clas) + 1;
    auto* box = new SlipBox(clas, index, canvas_);
    if (clas == kLineBox) box->BorderColor = 0;
    boxes_[clas].push_back(box);
    if (QTextEdit* edit = box->textEdit()) {
        // A fixed text (a text box without caption) lives in its row until the
        // format is saved, so a reload of the boxes can't lose an edit.
        QObject::connect(edit, &QTextEdit::textChanged, this, [this, box] {
            if (!box->CaptionText().isEmpty()) return;
            const int r = RowOf(box);
            if (table.IsDataRow(r)) table.SetTextMatrix(r, BoxTable::ColMem, box->Text());
        });
    }
    if (row < 1) {
        SaveCtlToRow(box);
        row = table.Rows() - 1;
    }
    box->Tag = QString::number(row);
    box->Refresh();
    box->SetVisible(true);
    emit boxesChanged();
    return box;
}

SlipBox* SlipTemplate::AddInputBox(int clas, int x, int y)
{
    if (clas == -1) {
        const QString answer = AskInputBoxClass();
        if (answer.isEmpty()) return nullptr;
        clas = int(RoundHalfEven(Val(answer)));
    }
    int row = 0;
    SlipBox* box = CreateInputBox(clas, row);
    if (!box) return nullptr;
    if (x != 0 || y != 0) {
        if (box->Class == kLineBox) MoveInputBox(box, x - box->X1, y - box->Y1);
        else MoveInputBox(box, x - box->Left, y - box->Top);
    }
    if (box->Class <= kPictureBox) PlaceCaptionLabel(box, -1);
    return box;
}

QRect SlipTemplate::CanvasRectTwips() const
{
    const int h = canvas_ ? int(PixelsToTwips(canvas_->height())) : 0;
    return QRect(0, 0, int(canvasWidth_), h);
}

void SlipTemplate::MoveInputBox(SlipBox* box, int dx, int dy)
{
    if (!box) return;
    const QRect area = CanvasRectTwips();
    auto clampShift = [](int shift, int lo, int hi, int areaEnd) {
        // Keep [lo, hi] inside [0, areaEnd] where that is possible.
        if (areaEnd <= 0) return shift;
        if (lo + shift < 0) shift = -lo;
        if (hi + shift > areaEnd) shift = qMax(-lo, areaEnd - hi);
        return shift;
    };
    if (box->Class == kLineBox) {
        dx = clampShift(dx, qMin(box->X1, box->X2), qMax(box->X1, box->X2), area.width());
        dy = clampShift(dy, qMin(box->Y1, box->Y2), qMax(box->Y1, box->Y2), area.height());
        box->X1 += dx;
        box->X2 += dx;
        box->Y1 += dy;
        box->Y2 += dy;
        emit boxesChanged();
    } else {
        dx = clampShift(dx, box->Left, box->Left + box->Width, area.width());
        dy = clampShift(dy, box->Top, box->Top + box->Height, area.height());
        box->Left += dx;
        box->Top += dy;
        box->Refresh();
        PlaceCaptionLabel(box, -1);
    }
    SaveCtlToRow(box);
}

void SlipTemplate::PlaceCaptionLabel(SlipBox* box, int position)
{
    if (!box || box->Class > kPictureBox || !box->CaptionLabel) return;
    if (position == -1) position = GetCtlDir(box);
    const int w = box->CaptionWidth();
    const int h = box->CaptionHeight();
    switch (position) {
    case 0: box->MoveCaption(box->Left, box->Top - h); break;
    case 1: box->MoveCaption(box->Left - w, box->Top + 40); break;
    case 2: box->MoveCaption(box->Left + box->Width, box->Top + 40); break;
    case 3: box->MoveCaption(box->Left, box->Top + box->Height); break;
    default: break;
    }
}

void SlipTemplate::UnloadAllInputBoxes()
{
    for (auto& v : boxes_) {
        for (SlipBox* b : v) delete b;
        v.clear();
    }
    emit boxesChanged();
}

void SlipTemplate::ReloadFormat(bool showProgress)
{
    if (showProgress) ProgressStart(QStringLiteral("重新加载格式……"), table.Rows(), 0);
    UnloadAllInputBoxes();
    if (showProgress) ProgressStep(1, QStringLiteral("pages"));
    for (int r = table.FirstDataRow(); r < table.Rows(); ++r) {
        const int clas = table.ClasAt(r);
        if (clas >= 0) {  // a row of no known class has no box
            int row = r;
            if (SlipBox* box = CreateInputBox(clas, row)) ApplyRowToCtl(r, box);
        }
        if (showProgress) ProgressStep(1, QStringLiteral("pages"));
    }
    if (showProgress) ProgressEnd();
    emit boxesChanged();
}

void SlipTemplate::DeleteInputBoxRows(bool ask)
{
    if (table.DataRowCount() == 0) return;
    int first = qMin(table.Row, table.RowSel);
    int last = qMax(table.Row, table.RowSel);
    first = qMax(first, table.FirstDataRow());
    last = qMin(last, table.LastRow());
    if (first > last) return;
    if (ask) {
        const QString q = QStringLiteral("您确定要删除第%1行至第%2行对应的输入框？").arg(first - 1).arg(last - 1);
        if (Question(q) != PromptAnswer::Yes) return;
    }
    DeleteGridRows(table, first, last, false);
    ReloadFormat(true);
    LoadDefaultRecord(state.name);
}

void SlipTemplate::DeleteSelectedInputBoxes(SlipBox* current)
{
    if (Question(QStringLiteral("您确定要删除选定的输入框和当前输入框？")) != PromptAnswer::Yes) return;
    const bool visible = canvas_ && canvas_->isVisible();
    if (canvas_) canvas_->setVisible(false);
    std::vector<int> rows;
    const int currentIndex = current ? current->Index : -1;
    ForEachBox([&](SlipBox* b) {
        if (IsCtlSelected(b) || b->Index == currentIndex) rows.push_back(RowOf(b));
    });
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int r : rows) {
        int first = r, last = r;
        if (table.IsDataRow(r)) DeleteGridRows(table, first, last, false);
    }
    ReloadFormat(true);
    LoadDefaultRecord(state.name);
    if (canvas_) canvas_->setVisible(visible);
}

QString SlipTemplate::AutoConvert(SlipBox* box, const QString& text)
{
    if (!box || box->Class != kTextBox) return text;
    // The conversion sees the box through its row and the format's currency.
    class Adapter : public ConvertibleTextBox {
    public:
        Adapter(SlipTemplate& t, SlipBox* b) : t_(t), b_(b) {}
        double DataTypeCode() const override { return t_.GetCtlCash(b_); }
        QChar CurrencyChar() const override { return t_.state.options.currencyChar; }
        QString Text() const override { return b_->Text(); }
        void SetBorderStyle(int style) override
        {
            b_->BorderStyle = style;
            b_->Refresh();
        }

    private:
        SlipTemplate& t_;
        SlipBox* b_;
    } adapter(*this, box);
    return slip::AutoConvert(adapter, text);
}

QString SlipTemplate::GetInputBoxValue(SlipBox* box) const
{
    if (!box) return QString();
    switch (box->Class) {
    case kTextBox: return box->Text();
    case kCheckBox: return box->Value() == 0 ? QString() : QString::number(box->Value());
    case kPictureBox: return box->LinkItem;
    default: return QString();
    }
}

void SlipTemplate::SetInputBoxValue(SlipBox* box, const QString& text)
{
    if (!box) return;
    switch (box->Class) {
    case kTextBox: {
        QString t = text;
        if (!lineBreakMarker.isEmpty()) t.replace(lineBreakMarker, QStringLiteral("\r\n"));
        box->SetText(t);
        break;
    }
    case kCheckBox: box->SetValue(text.trimmed().isEmpty() ? 0 : 1); break;
    case kPictureBox: DrawPictureBox(box, text); break;
    default: break;
    }
}

int SlipTemplate::RowOf(const SlipBox* box) const
{
    if (!box) return 0;
    const qint64 r = RoundHalfEven(Val(box->Tag));
    return r > 0 && r < table.Rows() ? int(r) : 0;
}

std::optional<qint32> SlipTemplate::GetCtlID(const SlipBox* box) const { return table.IdAt(RowOf(box)); }
qint32 SlipTemplate::GetCtlRCtl(const SlipBox* box) const { return table.IsDataRow(RowOf(box)) ? table.RCtlAt(RowOf(box)) : 0; }
qint32 SlipTemplate::GetCtlSumID(const SlipBox* box) const { return table.IsDataRow(RowOf(box)) ? table.SumIDAt(RowOf(box)) : 0; }
qint32 SlipTemplate::GetCtlSumID1(const SlipBox* box) const { return table.IsDataRow(RowOf(box)) ? table.SumID1At(RowOf(box)) : 0; }
int SlipTemplate::GetCtlDir(const SlipBox* box) const { return table.IsDataRow(RowOf(box)) ? table.DirAt(RowOf(box)) : 0; }
double SlipTemplate::GetCtlCash(const SlipBox* box) const { return table.IsDataRow(RowOf(box)) ? table.CashAt(RowOf(box)) : 0; }

SlipBox* SlipTemplate::GetCtlByRow(int row) const
{
    if (!table.IsDataRow(row)) return nullptr;
    const int clas = table.ClasAt(row);
    if (clas < 0) return nullptr;
    for (SlipBox* b : boxes_[clas])
        if (Val(b->Tag) == row) return b;
    return nullptr;
}

SlipBox* SlipTemplate::GetCtlByID(qint64 id) const
{
    const int row = table.FindRowById(id);
    return row ? GetCtlByRow(row) : nullptr;
}

int SlipTemplate::GetCtlIndexByRow(int row) const
{
    SlipBox* b = GetCtlByRow(row);
    return b ? b->Index : 0;
}

int SlipTemplate::GetCtlIndexByID(qint64 id) const
{
    if (id < 1) return 0;
    SlipBox* b = GetCtlByID(id);
    return b ? b->Index : 0;
}

void SlipTemplate::SaveCtlToRow(SlipBox* box)
{
    if (!box) return;
    const double zoom = Zoom();
    const double q = zoom > 0 ? 1.0 / zoom : 1.0;
    int row = RowOf(box);
    if (row == 0) row = table.AddBoxRow();
    if (!table.IsDataRow(row)) return;
    using C = BoxTable;
    switch (box->Class) {
    case kLineBox: table.SetTextMatrix(row, C::ColLBL, QStringLiteral("线条")); break;
    case kLabelBox: table.SetTextMatrix(row, C::ColLBL, box->Caption); break;
    default: table.SetTextMatrix(row, C::ColLBL, box->CaptionText()); break;
    }
    const bool haveScale = TwipsPerMm() > 0;
    if (box->Class == kLineBox) {
        if (haveScale) {
            table.SetNumber(row, C::ColX, ToMm(box->X1));
            table.SetNumber(row, C::ColY, ToMm(box->Y1));
            table.SetNumber(row, C::ColW, ToMm(box->X2));
            table.SetNumber(row, C::ColH, ToMm(box->Y2));
        }
        table.SetTextMatrix(row, C::ColFName, QStringLiteral("宋体"));
        table.SetNumber(row, C::ColFSize, box->BorderWidth * q);
        if (!IsCtlSelected(box)) table.SetColorAt(row, box->BorderColor);
        table.SetNumber(row, C::ColCash, box->BorderStyle);
    } else {
        if (haveScale) {
            table.SetNumber(row, C::ColX, ToMm(box->Left));
            table.SetNumber(row, C::ColY, ToMm(box->Top));
            table.SetNumber(row, C::ColW, ToMm(box->Width));
            table.SetNumber(row, C::ColH, ToMm(box->Height));
        }
        table.SetTextMatrix(row, C::ColFName, box->FontName);
        table.SetNumber(row, C::ColFSize, box->FontSize * q);
        table.SetColorAt(row, box->ForeColor);
        table.SetFlag(row, C::ColBold, box->FontBold);
        table.SetFlag(row, C::ColItalic, box->FontItalic);
        table.SetFlag(row, C::ColUnderline, box->FontUnderline);
        table.SetFlag(row, C::ColStrikethru, box->FontStrikethru);
        if (box->Class == kTextBox && box->CaptionText().isEmpty())
            table.SetTextMatrix(row, C::ColMem, box->Text());
    }
    table.SetTextMatrix(row, C::ColClas, QString::number(box->Class));
}

void SlipTemplate::ApplyTextBoxFixedText(SlipBox* box, int row)
{
    if (!box->CaptionText().isEmpty()) return;
    const QString mem = table.TextMatrix(row, BoxTable::ColMem);
    if (!mem.isEmpty()) box->SetText(mem);
}

SlipBox* SlipTemplate::ApplyRowToCtl(int row, SlipBox* box)
{
    if (!table.IsDataRow(row)) return nullptr;
    const double zoom = Zoom();
    if (!box) box = GetCtlByRow(row);
    if (!box) return nullptr;
    using C = BoxTable;
    const bool haveScale = TwipsPerMm() > 0;
    if (box->Class == kLineBox) {
        if (haveScale) {
            box->X1 = ToTwips(table.NumberAt(row, C::ColX));
            box->Y1 = ToTwips(table.NumberAt(row, C::ColY));
            box->X2 = ToTwips(table.NumberAt(row, C::ColW));
            box->Y2 = ToTwips(table.NumberAt(row, C::ColH));
        }
        box->BorderWidth = double(RoundHalfEven(table.NumberAt(row, C::ColFSize) * zoom));
        box->BorderStyle = int(RoundHalfEven(table.CashAt(row)));
        box->BorderColor = table.ColorAt(row);
        emit boxesChanged();
        return box;
    }
    if (haveScale) {
        box->Left = ToTwips(table.NumberAt(row, C::ColX));
        box->Top = ToTwips(table.NumberAt(row, C::ColY));
        if (box->Class != kCheckBox) {
            box->Width = ToTwips(table.NumberAt(row, C::ColW));
            box->Height = ToTwips(table.NumberAt(row, C::ColH));
        }
    }
    box->ForeColor = table.ColorAt(row);
    box->FontName = table.TextMatrix(row, C::ColFName);
    if (box->Class != kCheckBox) box->FontSize = table.NumberAt(row, C::ColFSize) * zoom;
    box->FontBold = table.FlagAt(row, C::ColBold);
    box->FontItalic = table.FlagAt(row, C::ColItalic);
    box->FontUnderline = table.FlagAt(row, C::ColUnderline);
    box->FontStrikethru = table.FlagAt(row, C::ColStrikethru);
    if (box->Class == kTextBox || box->Class == kCheckBox || box->Class == kLabelBox)
        box->Alignment = int(std::trunc(std::fabs(table.NumberAt(row, C::ColL)) / 1000.0));
    if (box->Class == kLabelBox) box->Caption = table.TextMatrix(row, C::ColLBL);
    if (box->Class <= kPictureBox) box->SetCaptionText(table.TextMatrix(row, C::ColLBL));
    if (box->Class == kTextBox) {
        const CashLook look = TextBoxLookForCash(table.CashAt(row));
        box->BorderStyle = look.borderStyle;
        if (look.alignment) box->Alignment = *look.alignment;
        ApplyTextBoxFixedText(box, row);
    }
    box->Refresh();
    if (box->Class <= kPictureBox) PlaceCaptionLabel(box, table.DirAt(row));
    if (box->Class == kPictureBox && !box->LinkItem.isEmpty()) DrawPictureBox(box, box->LinkItem);
    return box;
}

void SlipTemplate::CopyCtlRow(SlipBox* source, SlipBox* target)
{
    const int s = RowOf(source);
    const int t = RowOf(target);
    if (s != t) table.CopyRow(s, t);
    ApplyRowToCtl(t);
}

void SlipTemplate::SetCtlFontFromRow(int row, QWidget* sample) const
{
    if (!sample || !table.IsDataRow(row)) return;
    using C = BoxTable;
    QFont f(table.TextMatrix(row, C::ColFName));
    const double size = table.NumberAt(row, C::ColFSize);
    f.setPointSizeF(size > 0 ? size : 1);
    f.setBold(table.FlagAt(row, C::ColBold));
    f.setItalic(table.FlagAt(row, C::ColItalic));
    f.setStrikeOut(table.FlagAt(row, C::ColStrikethru));
    f.setUnderline(table.FlagAt(row, C::ColUnderline));
    sample->setFont(f);
    SetControlForeColor(sample, table.ColorAt(row));
}

void SlipTemplate::GetCtlFontToRow(int row, const QWidget* sample)
{
    if (!sample || !table.IsDataRow(row)) return;
    using C = BoxTable;
    const QFont f = sample->font();
    table.SetTextMatrix(row, C::ColFName, f.family());
    table.SetNumber(row, C::ColFSize, f.pointSizeF());
    table.SetColorAt(row, ControlForeColor(sample));
    table.SetFlag(row, C::ColBold, f.bold());
    table.SetFlag(row, C::ColItalic, f.italic());
    table.SetFlag(row, C::ColStrikethru, f.strikeOut());
    table.SetFlag(row, C::ColUnderline, f.underline());
}

bool SlipTemplate::IsCtlSelected(const SlipBox* box)
{
    if (!box) return false;
    switch (box->Class) {
    case kTextBox: return box->BackColor == kMarkGrey;
    case kCheckBox: return box->Appearance == 0;
    case kPictureBox:
    case kLabelBox: return box->BorderStyle == 1;
    case kLineBox: return box->BorderColor == kMarkGrey;
    default: return false;
    }
}

void SlipTemplate::SetSelectLook(SlipBox* box, bool normal)
{
    if (!box) return;
    switch (box->Class) {
    case kTextBox: box->BackColor = normal ? kWhite : kMarkGrey; break;
    case kCheckBox: box->Appearance = normal ? 1 : 0; break;
    case kPictureBox:
    case kLabelBox: box->BorderStyle = normal ? 0 : 1; break;
    case kLineBox: {
        const int row = RowOf(box);
        box->BorderColor = normal ? (table.IsDataRow(row) ? table.ColorAt(row) : 0) : kMarkGrey;
        emit boxesChanged();
        return;
    }
    default: return;
    }
    box->Refresh();
}

bool SlipTemplate::CtlInRect(const SlipBox* box, int x1, int y1, int x2, int y2)
{
    if (!box) return false;
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    auto inside = [&](int x, int y) { return x1 <= x && x <= x2 && y1 <= y && y <= y2; };
    if (box->Class == kLineBox) return inside(box->X1, box->Y1) || inside(box->X2, box->Y2);
    const int left = box->Left, right = box->Left + box->Width;
    const int top = box->Top, bottom = box->Top + box->Height;
    return !(right < x1 || left > x2 || bottom < y1 || top > y2);
}

void SlipTemplate::SelectCtlsInRect(int shift, int x1, int y1, int x2, int y2)
{
    ForEachBox([&](SlipBox* b) {
        if (CtlInRect(b, x1, y1, x2, y2)) SetSelectLook(b, false);
        else if (shift != 2) SetSelectLook(b, true);
    });
}

int SlipTemplate::CountSelectedCtls() const
{
    int n = 0;
    for (int c = kTextBox; c <= kPictureBox; ++c)
        for (SlipBox* b : boxes_[c])
            if (IsCtlSelected(b)) ++n;
    return n;
}

bool SlipTemplate::SaveDefaultRecord(const QString& name)
{
    DbConnection conn(true);
    if (!conn.isOpen() || !conn.begin()) return false;
    bool ok = ExecuteSql(QStringLiteral("DELETE FROM 默认 WHERE Fmt=?"), {name}, &conn);
    for (int c = kTextBox; ok && c <= kPictureBox; ++c) {
        for (SlipBox* b : boxes_[c]) {
            const QString value = GetInputBoxValue(b);
            if (value.isEmpty()) continue;
            const auto id = GetCtlID(b);
            if (!id) continue;
            if (!ExecuteSql(QStringLiteral("INSERT INTO 默认(Fmt, ID, Con) VALUES(?, ?, ?)"), {name, *id, value}, &conn)) {
                ok = false;
                break;
            }
        }
    }
    if (!ok) {
        conn.rollback();
        return false;
    }
    return conn.commit();
}

void SlipTemplate::LoadDefaultRecord(const QString& name)
{
    Recordset rs = OpenRecordset(QStringLiteral("SELECT ID, Con FROM 默认 WHERE Fmt=? ORDER BY rowid"), {name});
    for (int r = 0; r < rs.RecordCount(); ++r) {
        SlipBox* box = GetCtlByID(rs.value(r, QStringLiteral("ID")).toLongLong());
        if (box) SetInputBoxValue(box, rs.text(r, QStringLiteral("Con")));
    }
}

bool SlipTemplate::SaveRowsToFmtRecords(const QString& name, DbConnection& conn, bool asNew)
{
    using C = BoxTable;
    struct Field { const char* name; int col; };
    static const Field numeric[] = {{"X", C::ColX}, {"Y", C::ColY}, {"W", C::ColW}, {"H", C::ColH},
                                    {"S", C::ColS}, {"L", C::ColL}, {"fSize", C::ColFSize},
                                    {"Cash", C::ColCash}, {"RCtl", C::ColRCtl}, {"SumID", C::ColSumID},
                                    {"SumID1", C::ColSumID1}, {"Clas", C::ColClas}};
    QHash<qint64, qint64> oldToNew;
    QVector<qint64> newIds(table.Rows(), 0);
    for (int r = table.FirstDataRow(); r < table.Rows(); ++r) {
        QStringList cols;
        QVariantList values;
        auto put = [&](const char* field, const QVariant& v) {
            cols << QString::fromLatin1(field);
            // An empty text is stored as "", never as NULL, so that conditions on it hold.
            if (v.typeId() == QMetaType::QString && v.toString().isNull()) values << QVariant(QStringLiteral(""));
            else values << v;
        };
        put("Fmt", name);
        put("LBL", table.TextMatrix(r, C::ColLBL));
        put("Dir", DirTextToCode(table.TextMatrix(r, C::ColDir)));
        for (const Field& f : numeric) {
            const auto v = CellNumber(table.TextMatrix(r, f.col));
            if (v) put(f.name, *v);
        }
        put("Color", table.ColorAt(r));
        put("fName", table.TextMatrix(r, C::ColFName));
        put("fBold", table.FlagAt(r, C::ColBold) ? 1 : 0);
        put("fItalic", table.FlagAt(r, C::ColItalic) ? 1 : 0);
        put("fUnderline", table.FlagAt(r, C::ColUnderline) ? 1 : 0);
        put("fStrikethru", table.FlagAt(r, C::ColStrikethru) ? 1 : 0);
        if (table.ClasAt(r) == kTextBox) {
            SlipBox* box = GetCtlByRow(r);
            const bool fixedText = box ? box->CaptionText().isEmpty() : table.TextMatrix(r, C::ColLBL).isEmpty();
            if (fixedText) put("Mem", box ? box->Text() : table.TextMatrix(r, C::ColMem));
        }
        const auto old = table.IdAt(r);
        qint64 id = -1;
        if (!asNew && old && *old > 0) {
            Recordset rs = OpenRecordset(QStringLiteral("SELECT ID FROM Fmt WHERE ID=? AND Fmt=?"), {*old, name}, &conn);
            if (!rs.ok) return false;
            if (!rs.isEmpty()) {
                QStringList sets;
                for (const QString& c : cols) sets << c + QStringLiteral("=?");
                if (!ExecuteSql(QStringLiteral("UPDATE Fmt SET %1 WHERE ID=?").arg(sets.join(QLatin1Char(','))),
                                values + QVariantList{*old}, &conn))
                    return false;
                id = *old;
            }
        }
        if (id < 0) {
            QStringList marks;
            for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
            id = InsertRow(QStringLiteral("INSERT INTO Fmt(%1) VALUES(%2)").arg(cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                           values, &conn);
            if (id < 0) return false;
        }
        newIds[r] = id;
        if (old) oldToNew.insert(*old, id);
    }
    // References are rewritten once, from their stored values, after every
    // box has its final ID; then the records take the rewritten values.
    for (int r = table.FirstDataRow(); r < table.Rows(); ++r) {
        for (int c : {C::ColRCtl, C::ColSumID, C::ColSumID1}) {
            const auto v = CellNumber(table.TextMatrix(r, c));
            if (!v) continue;
            const double mapped = RemapReference(*v, oldToNew);
            if (mapped != *v)
                if (!ExecuteSql(QStringLiteral("UPDATE Fmt SET %1=? WHERE ID=?").arg(BoxTable::FieldSpecs()[c]),
                                {mapped, newIds[r]}, &conn))
                    return false;
        }
    }
    table.RemapReferences(oldToNew);
    for (int r = table.FirstDataRow(); r < table.Rows(); ++r) table.SetTextMatrix(r, C::ColID, QString::number(newIds[r]));
    return true;
}

bool SlipTemplate::LoadFormatGrid(const QString& name)
{
    using C = BoxTable;
    table.SetupColumns();
    Recordset rs = OpenRecordset(QStringLiteral("SELECT * FROM Fmt WHERE Fmt=? AND (LBL IS NULL OR LBL<>?) ORDER BY Clas, ID"),
                                 {name, HeaderLabel()});
    if (!rs.ok) return false;
    const double factor = state.screenFontFactor;
    for (int i = 0; i < rs.RecordCount(); ++i) {
        const int r = table.AddRow();
        table.SetTextMatrix(r, C::ColSeq, QString::number(r - C::kFirstDataRow + 1));
        for (int c = 0; c < C::kColumns; ++c) {
            const QString spec = C::FieldSpecs()[c];
            if (spec.isEmpty()) continue;
            const QVariant v = rs.value(i, spec);
            if (spec == QStringLiteral("Color")) {
                table.SetColorAt(r, qint32(v.toLongLong()));
                continue;
            }
            if (v.isNull() || !v.isValid()) continue;
            QString text;
            if (c >= C::ColBold && c <= C::ColStrikethru) text = v.toBool() ? QStringLiteral("√") : QString();
            else if (c == C::ColLBL || c == C::ColFName || c == C::ColMem) text = v.toString();
            else text = NumberText(v.toDouble());
            table.SetTextMatrix(r, c, text);
        }
        table.SetTextMatrix(r, C::ColDir, DirCodeToText(int(RoundHalfEven(Val(table.TextMatrix(r, C::ColDir))))));
        if (factor != 1.0) {
            const double size = table.NumberAt(r, C::ColFSize) * factor;
            table.SetNumber(r, C::ColFSize, double(RoundHalfEven(size * 100)) / 100.0);
        }
    }
    table.SetColWidth(C::ColID, 900);
    return true;
}

void SlipTemplate::PaintLines(QPainter& p) const
{
    for (SlipBox* b : boxes_[kLineBox]) {
        QPen pen(GridModel::ToQColor(b->BorderColor));
        pen.setWidthF(qMax(1.0, b->BorderWidth));
        pen.setStyle(LineStyle(b->BorderStyle));
        p.setPen(pen);
        p.drawLine(QPointF(b->X1 / kTwipsPerPixel, b->Y1 / kTwipsPerPixel),
                   QPointF(b->X2 / kTwipsPerPixel, b->Y2 / kTwipsPerPixel));
    }
}

} // namespace slip
