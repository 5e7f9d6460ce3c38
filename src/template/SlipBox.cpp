#include "template/SlipBox.h"

#include "storage/GridModel.h"
#include "storage/Params.h"
#include "storage/TextNumber.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QTextEdit>

namespace slip {

namespace {

// A picture box shows its picture stretched over itself; the barcode drawing
// paints into the same image.
class PictureWidget : public QWidget {
public:
    PictureWidget(QWidget* parent, SlipBox* box) : QWidget(parent), box_(box) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        if (!box_->Picture.isNull()) p.drawImage(rect(), box_->Picture);
        if (box_->BorderStyle == 1) {
            p.setPen(Qt::black);
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }

private:
    SlipBox* box_;
};

QColor ColorOf(qint32 bgr) { return GridModel::ToQColor(bgr); }

} // namespace

int TwipsToPixels(double twips) { return int(RoundHalfEven(twips / kTwipsPerPixel)); }
double PixelsToTwips(int pixels) { return pixels * kTwipsPerPixel; }

SlipBox::SlipBox(int clas, int index, QWidget* canvas) : Class(clas), Index(index)
{
    switch (clas) {
    case kTextBox: {
        auto* edit = new QTextEdit(canvas);
        edit->setAcceptRichText(false);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setFrameShape(QFrame::NoFrame);
        edit->document()->setDocumentMargin(1);
        Widget = edit;
        break;
    }
    case kCheckBox: Widget = new QCheckBox(canvas); break;
    case kPictureBox: Widget = new PictureWidget(canvas, this); break;
    case kLabelBox: {
        auto* label = new QLabel(canvas);
        label->setWordWrap(true);
        Widget = label;
        break;
    }
    default: break;
    }
    if (clas <= kPictureBox && canvas) {
        CaptionLabel = new QLabel(canvas);
        CaptionLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    if (Widget) Widget->setProperty("boxIndex", index);
}

SlipBox::~SlipBox()
{
    delete Widget;
    delete CaptionLabel;
}

QTextEdit* SlipBox::textEdit() const { return Class == kTextBox ? static_cast<QTextEdit*>(Widget.data()) : nullptr; }
QCheckBox* SlipBox::checkBox() const { return Class == kCheckBox ? static_cast<QCheckBox*>(Widget.data()) : nullptr; }

QString SlipBox::CaptionText() const { return CaptionLabel ? CaptionLabel->text() : QString(); }

void SlipBox::SetCaptionText(const QString& t)
{
    if (!CaptionLabel) return;
    CaptionLabel->setText(t);
    CaptionLabel->adjustSize();
}

int SlipBox::CaptionWidth() const { return CaptionLabel ? int(PixelsToTwips(CaptionLabel->width())) : 0; }
int SlipBox::CaptionHeight() const { return CaptionLabel ? int(PixelsToTwips(CaptionLabel->height())) : 0; }

void SlipBox::MoveCaption(int leftTwips, int topTwips)
{
    if (CaptionLabel) CaptionLabel->move(TwipsToPixels(leftTwips), TwipsToPixels(topTwips));
}

QString SlipBox::Text() const
{
    if (auto* e = textEdit()) return e->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return QString();
}

void SlipBox::SetText(const QString& t)
{
    if (auto* e = textEdit()) {
        QString plain = t;
        plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (e->toPlainText() == plain) return;
        e->setPlainText(plain);
    }
}

int SlipBox::Value() const
{
    if (auto* c = checkBox()) return c->isChecked() ? 1 : 0;
    return checkValue_;
}

void SlipBox::SetValue(int v)
{
    checkValue_ = v ? 1 : 0;
    if (auto* c = checkBox()) c->setChecked(v != 0);
}

void SlipBox::SetVisible(bool on)
{
    if (Widget) Widget->setVisible(on);
    if (CaptionLabel) CaptionLabel->setVisible(on);
}

void SlipBox::Refresh()
{
    if (!Widget) return;
    Widget->setGeometry(TwipsToPixels(Left), TwipsToPixels(Top), qMax(1, TwipsToPixels(Width)),
                        qMax(1, TwipsToPixels(Height)));
    QFont f(FontName);
    f.setPointSizeF(FontSize > 0 ? FontSize : 1);
    f.setBold(FontBold);
    f.setItalic(FontItalic);
    f.setUnderline(FontUnderline);
    f.setStrikeOut(FontStrikethru);
    Widget->setFont(f);
    QPalette pal = Widget->palette();
    pal.setColor(QPalette::Text, ColorOf(ForeColor));
    pal.setColor(QPalette::WindowText, ColorOf(ForeColor));
    pal.setColor(QPalette::Base, ColorOf(BackColor));
    Widget->setPalette(pal);
    const Qt::Alignment horiz = Alignment == 1 ? Qt::AlignRight : Alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft;
    switch (Class) {
    case kTextBox: {
        auto* e = textEdit();
        e->setFrameShape(BorderStyle == 1 ? QFrame::Box : QFrame::NoFrame);
        QTextOption opt = e->document()->defaultTextOption();
        if (opt.alignment() != horiz) {
            opt.setAlignment(horiz);
            e->document()->setDefaultTextOption(opt);
        }
        break;
    }
    case kCheckBox: {
        auto* c = checkBox();
        c->setAutoFillBackground(Appearance == 0);
        if (Appearance == 0) pal.setColor(QPalette::Window, ColorOf(0xD0D0D0));
        c->setPalette(pal);
        break;
    }
    case kLabelBox: {
        auto* l = static_cast<QLabel*>(Widget.data());
        l->setText(Caption);
        l->setAlignment(horiz | Qt::AlignTop);
        l->setFrameShape(BorderStyle == 1 ? QFrame::Box : QFrame::NoFrame);
        break;
    }
    default: break;
    }
    Widget->setToolTip(ToolTipText);
    Widget->update();
}

} // namespace slip
