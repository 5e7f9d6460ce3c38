#pragma once
#include "template/BoxRules.h"

#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QTextEdit;
class QCheckBox;

namespace slip {

// One input box of the open format on the canvas. Positions and sizes are in
// canvas twips (15 to a pixel); the widget follows them on Refresh. A line has
// no widget: the canvas paints it from X1..Y2.
class SlipBox {
public:
    SlipBox(int clas, int index, QWidget* canvas);
    ~SlipBox();
    SlipBox(const SlipBox&) = delete;
    SlipBox& operator=(const SlipBox&) = delete;

    const int Class;
    const int Index;
    QString Tag;  // the box table row, as text

    int Left = 0, Top = 0, Width = 1500, Height = 300;
    int X1 = 0, Y1 = 0, X2 = 1500, Y2 = 0;  // lines

    QString FontName = QStringLiteral("宋体");
    double FontSize = 9;
    bool FontBold = false, FontItalic = false, FontUnderline = false, FontStrikethru = false;
    qint32 ForeColor = 0;
    qint32 BackColor = 0xFFFFFF;  // text box; &HD0D0D0 marks a selected one
    int Appearance = 1;           // check box; 0 (flat) marks a selected one
    int BorderStyle = 0;          // text/picture box, label; line style for a line
    int Alignment = 0;            // 0 left, 1 right, 2 centre
    double BorderWidth = 1;       // line width in pixels
    qint32 BorderColor = 0;       // line colour; &HD0D0D0 marks a selected line
    QString Caption;              // a label's text
    QString LinkItem;             // a picture box's picture path or barcode text
    QImage Picture;               // what a picture box shows
    QString ToolTipText;

    // The caption label of a text, check or picture box.
    // Held weakly: the canvas owns the widgets and may go first.
    QPointer<QLabel> CaptionLabel;
    QPointer<QWidget> Widget;

    QString CaptionText() const;
    void SetCaptionText(const QString& t);
    int CaptionWidth() const;   // twips
    int CaptionHeight() const;  // twips
    void MoveCaption(int leftTwips, int topTwips);

    QString Text() const;  // text box
    void SetText(const QString& t);
    int Value() const;     // check box: 0 or 1
    void SetValue(int v);

    // Pushes geometry, font, colours and look onto the widget.
    void Refresh();
    void SetVisible(bool on);

    QTextEdit* textEdit() const;
    QCheckBox* checkBox() const;

private:
    int checkValue_ = 0;
};

int TwipsToPixels(double twips);
double PixelsToTwips(int pixels);

} // namespace slip
