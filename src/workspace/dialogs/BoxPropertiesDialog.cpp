#include "workspace/dialogs/BoxPropertiesDialog.h"

#include "storage/BoxRecord.h"
#include "ui/Prompt.h"
#include "ui/WindowHelpers.h"
#include "workspace/dialogs/BoxTracker.h"
#include "workspace/dialogs/DialogParts.h"

#include <QBoxLayout>
#include <QColorDialog>
#include <QPainter>
#include <QPushButton>

namespace slip {

// --- Colour and font --------------------------------------------------------

namespace {

ColorDialogHandler& ColorHandler()
{
    static ColorDialogHandler handler;
    return handler;
}

} // namespace

void SetColorDialogHandler(ColorDialogHandler handler) { ColorHandler() = std::move(handler); }

std::optional<QColor> ChooseColor(QWidget* parent, const QColor& preset)
{
    if (ColorHandler()) return ColorHandler()(preset);
    const QColor c = QColorDialog::getColor(preset, parent, QStringLiteral("颜色"));
    if (!c.isValid()) return std::nullopt;
    return c;
}

BoxLook LookOf(const Box& b) { return {b.font, b.color}; }

std::optional<BoxLook> ChooseBoxLook(const BoxLook& preset)
{
    FontChoice c{preset.font, qint32(ColorToStored(preset.color))};
    if (!ChooseFont(c)) return std::nullopt;
    if (const QString problem = FontSizeProblem(c.font.pointSize); !problem.isEmpty()) {
        MsgBox(problem);
        return std::nullopt;
    }
    return BoxLook{c.font, ColorFromStored(c.color)};
}

// --- Samples ----------------------------------------------------------------

FontSample::FontSample(QWidget* parent) : QLineEdit(QStringLiteral("Quillmere"), parent)
{
    setReadOnly(true);
    setFocusPolicy(Qt::NoFocus);
    setToolTip(QStringLiteral("输入框字体/字号/颜色等示例显示。"));
    setMinimumHeight(34);
}

void FontSample::ShowLook(const BoxLook& look, TextAlign align)
{
    QFont f(look.font.family);
    // Large sizes are shown smaller, so that the sample keeps its place.
    f.setPointSizeF(std::clamp(look.font.pointSize, 1.0, 16.0));
    f.setBold(look.font.bold);
    f.setItalic(look.font.italic);
    f.setUnderline(look.font.underline);
    f.setStrikeOut(look.font.strikeOut);
    setFont(f);
    QPalette p = palette();
    p.setColor(QPalette::Text, look.color);
    setPalette(p);
    setAlignment(align == TextAlign::Right ? Qt::AlignRight | Qt::AlignVCenter
                 : align == TextAlign::Centre ? Qt::AlignHCenter | Qt::AlignVCenter
                                              : Qt::AlignLeft | Qt::AlignVCenter);
    setToolTip(QStringLiteral("输入框字体/字号/颜色等示例显示。"));
}

CaptionSample::CaptionSample(QWidget* parent) : QWidget(parent)
{
    setToolTip(QStringLiteral("标签位置示例显示。"));
    setMinimumSize(160, 96);
    setAutoFillBackground(true);
}

void CaptionSample::SetCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void CaptionSample::SetSide(CaptionSide side)
{
    side_ = side;
    update();
}

QRect CaptionSample::SampleBoxRect() const
{
    const QSize box(48, 22);
    return QRect(QPoint((width() - box.width()) / 2, (height() - box.height()) / 2), box);
}

QRect CaptionSample::CaptionRect() const
{
    const QRect box = SampleBoxRect();
    const QFontMetrics fm(font());
    const QSize text(fm.horizontalAdvance(caption_) + 2, fm.height());
    const int gap = 3;
    switch (side_) {
    case CaptionSide::Above: return QRect(QPoint(box.left(), box.top() - gap - text.height()), text);
    case CaptionSide::Below: return QRect(QPoint(box.left(), box.bottom() + 1 + gap), text);
    case CaptionSide::Right: return QRect(QPoint(box.right() + 1 + gap, box.center().y() - text.height() / 2), text);
    case CaptionSide::Left: break;
    }
    return QRect(QPoint(box.left() - gap - text.width(), box.center().y() - text.height() / 2), text);
}

void CaptionSample::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRect box = SampleBoxRect();
    p.fillRect(box, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.drawText(box, Qt::AlignCenter, QStringLiteral("示例"));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(CaptionRect(), Qt::AlignLeft | Qt::AlignVCenter, caption_);
}

// --- The dialog -------------------------------------------------------------

BoxPropertiesDialog::BoxPropertiesDialog(SlipFormat& format, BoxKind kind, const QString& caption, QWidget* parent)
    : QDialog(parent), format_(format), kind_(kind)
{
    setWindowTitle(caption);
    setModal(false);
}

BoxPropertiesDialog::~BoxPropertiesDialog() = default;

BoxId BoxPropertiesDialog::EditedBox() const { return tracker_ ? tracker_->Id() : 0; }

bool BoxPropertiesDialog::BoxGone() const { return !tracker_ || tracker_->Lost(); }

bool BoxPropertiesDialog::Target(BoxId id)
{
    if (tracker_ && !tracker_->Lost() && tracker_->Id() == id) return true;
    const Box* b = format_.Find(id);
    if (!b || b->kind != kind_) return false;
    delete tracker_;
    tracker_ = new BoxTracker(format_, id, this);
    connect(tracker_, &BoxTracker::renamed, this, [this](const QHash<BoxId, BoxId>& m) { BoxesRenamed(m); });
    connect(tracker_, &BoxTracker::rearranged, this, [this] { BoxesRearranged(); });
    connect(tracker_, &BoxTracker::lost, this, [this] { BoxesRearranged(); });
    loading_ = true;
    LoadBox(*b);
    loading_ = false;
    marks_.clear();
    numbers_.clear();
    return true;
}

void BoxPropertiesDialog::Mark(int field)
{
    if (!loading_) marks_.insert(field);
}

QLineEdit* BoxPropertiesDialog::FieldEdit(const char* name, int field, const QString& tip)
{
    auto* e = new QLineEdit;
    e->setObjectName(QString::fromLatin1(name));
    if (!tip.isEmpty()) e->setToolTip(tip);
    connect(e, &QLineEdit::textEdited, this, [this, field] { Mark(field); });
    return e;
}

bool BoxPropertiesDialog::CheckNumberField(int field, QLineEdit* edit, const NumberRule& rule)
{
    if (!IsMarked(field)) return true;
    const std::optional<double> v = CheckNumberEdit(edit, rule);
    if (!v) return false;
    numbers_.insert(field, *v);
    return true;
}

void BoxPropertiesDialog::AddButtons(QBoxLayout* layout)
{
    layout->addLayout(OkCancelRow(okButton, cancelButton));
    connect(okButton, &QPushButton::clicked, this, [this] { ApplyChanges(); });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

bool BoxPropertiesDialog::ApplyChanges()
{
    if (!HasChanges()) {
        accept();
        return true;
    }
    const Box* edited = tracker_ ? tracker_->Current() : nullptr;
    if (!edited) {
        MsgBox(QStringLiteral("正在修改的内容框已不存在（已被删除，或格式已重新载入），修改没有保存！"));
        marks_.clear();
        reject();
        return false;
    }
    numbers_.clear();
    if (!CheckFields()) return false;
    // The selection that counts is the one of this moment.
    QList<BoxId> ids;
    for (const Box* b : format_.BoxesOfKind(kind_))
        if (b->id == edited->id || format_.IsSelected(b->id)) ids << b->id;
    for (BoxId id : std::as_const(ids)) {
        const Box* b = format_.Find(id);
        if (!b) continue;
        Box changed = *b;
        WriteMarked(changed);
        format_.UpdateBox(changed);
    }
    AfterWrite(ids);
    marks_.clear();
    accept();
    return true;
}

void BoxPropertiesDialog::done(int result)
{
    if (closing_) return;
    closing_ = true;
    const BoxId id = EditedBox();
    QDialog::done(result);
    closing_ = false;
    emit closedOn(id);
}

} // namespace slip
