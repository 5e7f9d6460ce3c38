#pragma once
#include <QImage>
#include <QSize>
#include <QString>

namespace slip {

// The background picture file of a format: the data folder, the name with
// * ? < > / \ : | " replaced by 0 to 8, and ".jpg".
QString BackgroundPicturePath(const QString& formatName);

// The picture of a format, or a null image when it has none.
QImage LoadBackgroundPicture(const QString& formatName);

// Puts the chosen .jpg file in place of the format's picture. The copy goes
// to a temporary name first and replaces the old picture only when complete,
// so a failed copy keeps the old one (and says so). Answers true when the
// picture was replaced.
bool ReplaceBackgroundPicture(const QString& formatName, const QString& chosenFile);

// Asks, then deletes the format's picture. True when a picture was removed.
bool ClearBackgroundPicture(const QString& formatName);

// Copies the picture of one format to another that has none (save-as).
bool CopyBackgroundPicture(const QString& fromFormat, const QString& toFormat);

// How a preview shows a picture of pictureSize in a frame (twips): the image
// height at the frame's width, and the scroll maximum (0: no scrolling).
struct PreviewLayout {
    double imageHeight = 0;
    bool scrollEnabled = false;
    int scrollMax = 0;
};
PreviewLayout ComputePreviewLayout(const QSize& pictureSize, double frameWidth, double frameHeight);

} // namespace slip
