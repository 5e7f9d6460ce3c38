#include "template/PictureBox.h"

#include "print/Code39.h"
#include "print/DrawSurface.h"
#include "print/Ean13.h"
#include "storage/Params.h"
#include "storage/TextNumber.h"
#include "template/SlipBox.h"

#include <QFileInfo>
#include <QImageReader>

namespace slip {

namespace {

bool IsBarcodeValue(const QString& value)
{
    return !value.isEmpty() && value.at(0) >= QLatin1Char('0') && value.at(0) <= QLatin1Char('9');
}

void ShowChanges(SlipBox* box)
{
    if (box->Widget) {
        box->Widget->setToolTip(box->ToolTipText);
        box->Widget->update();
    }
}

} // namespace

QString PictureBoxHint()
{
    return QStringLiteral("点鼠标右键，在弹出菜单选相应的菜单项，可添加/更改图片或输入条码。");
}

void DrawPictureBox(SlipBox* box, const QString& value)
{
    if (!box) return;
    const bool barcode = IsBarcodeValue(value);
    if (!barcode && value == box->LinkItem && !value.isEmpty()) {
        ShowChanges(box);  // repaint only: the picture is already loaded
        return;
    }
    box->ToolTipText = PictureBoxHint();
    if (!box->LinkItem.isEmpty()) {
        box->LinkItem.clear();
        box->Picture = QImage();
    }
    if (value.isEmpty()) {
        ShowChanges(box);
        return;
    }
    if (barcode) {
        // The canvas has 15 twips to a pixel, so the box is drawn at 96 dots per inch.
        ImageSurface surface(box->Width, box->Height, 96);
        const double fontSize = box->FontSize <= 2 ? 0 : box->FontSize;
        const double heightMm = box->Height / kPaperTwipsPerMm;
        if (Val(GetParam(QStringLiteral("StrBarCodeStand"))) == 0)
            DrawFittedCode39(surface, value, 0, 0, heightMm, box->Width, fontSize, true);
        else
            DrawEan13(surface, value, 0, 0, heightMm, box->Width / kPaperTwipsPerMm, fontSize, true);
        box->Picture = surface.Finish();
        box->LinkItem = value;
        box->ToolTipText = QStringLiteral("当前条码：") + box->LinkItem;
        ShowChanges(box);
        return;
    }
    if (!QFileInfo(value).isFile()) {
        ShowChanges(box);
        return;
    }
    box->LinkItem = value;
    QImageReader reader(value);
    box->Picture = reader.read();
    box->ToolTipText = QStringLiteral("当前图片：") + box->LinkItem;
    ShowChanges(box);
}

} // namespace slip
