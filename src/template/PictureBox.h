#pragma once
#include <QString>

namespace slip {

class SlipBox;

// Shows a picture box's value: a text starting with a digit is a barcode in
// the standard of the parameter "StrBarCodeStand", any other text the path of
// a picture stretched over the box; an empty text empties the box.
void DrawPictureBox(SlipBox* box, const QString& value);

// The hint shown on an empty picture box.
QString PictureBoxHint();

} // namespace slip
