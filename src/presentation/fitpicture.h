#pragma once

#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>

class ImageBox;
class QWidget;

namespace modGrabKeys {

// The largest rect of a picture's proportions that fits a frame, centred in it: it fills
// the frame in one direction exactly (width on equal proportions). Empty for an empty
// picture; a frame without area gets its own (empty) rect.
QRectF FittedRect(QSizeF picture, QSizeF frame);

// The largest picture, in pixels, read fully into memory; anything larger must be read
// reduced by its decoder or is refused.
inline constexpr int PictureMemoryLimitMB = 256;

// Loads a picture file into an image element inside its frame, as large as fits without
// distorting it and centred. The empty path shows no picture. A file that is missing or
// that cannot be read as a picture keeps the picture the image had and is reported once
// in the log. Pictures larger than the frame are read at the size shown, not in full.
void FitPicture(ImageBox& image, const QWidget& frame, const QString& path);

} // namespace modGrabKeys
