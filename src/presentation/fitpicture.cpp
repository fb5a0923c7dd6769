#include "presentation/fitpicture.h"

#include "components/imagebox.h"
#include "platform/filefailures.h"
#include "presentation/presentationlog.h"

#include <QDateTime>
#include <QFileInfo>
#include <QImageReader>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace modGrabKeys {

namespace {

// Raises the process's image allocation limit for one read, and puts it back.
class AllocationLimit {
public:
    explicit AllocationLimit(qint64 bytesNeeded) : m_old(QImageReader::allocationLimit()) {
        const int needed = int(std::min<qint64>(bytesNeeded / (1024 * 1024) + 1, PictureMemoryLimitMB));
        if (m_old != 0 && needed > m_old) {
            QImageReader::setAllocationLimit(needed);
        }
    }
    ~AllocationLimit() { QImageReader::setAllocationLimit(m_old); }
    AllocationLimit(const AllocationLimit&) = delete;
    AllocationLimit& operator=(const AllocationLimit&) = delete;

private:
    int m_old;
};

// Every picture element of the program shares what has failed, so a bad file is read and
// reported once, whether the board or the options dialog tries it again.
FileFailures& failures() {
    static FileFailures failed;
    return failed;
}

void reportOnce(ImageBox& image, const QString& path, const QString& why) {
    image.setLastFailure(path);
    if (failures().record(path)) {
        qCWarning(lcPresentation).noquote()
            << QStringLiteral("Cannot show the picture \"%1\": %2; the previous picture stays.")
                   .arg(path, why);
    }
}

bool turnsSideways(QImageIOHandler::Transformations t) {
    return t.testFlag(QImageIOHandler::TransformationRotate90);
}

// The picture read at no more than the size shown, or a null image with the reason.
QImage readPicture(const QString& path, QSize shown, ImageBox::Source& source, QString& why) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    QSize raw = reader.size();
    if (!reader.canRead() || !raw.isValid() || raw.isEmpty()) {
        why = reader.error() == QImageReader::UnsupportedFormatError
                  ? QStringLiteral("it is no picture we can read")
                  : QStringLiteral("the file is damaged");
        return {};
    }
    const bool sideways = turnsSideways(reader.transformation());
    source.naturalSize = sideways ? raw.transposed() : raw;

    const QSize wanted = sideways ? shown.transposed() : shown;
    const bool reduce = raw.width() > wanted.width() && raw.height() > wanted.height();
    const bool decoderReduces = reader.supportsOption(QImageIOHandler::ScaledSize);
    // Four bytes a pixel is what a decoded picture takes at most.
    const qint64 fullBytes = qint64(raw.width()) * raw.height() * 4;
    if ((!reduce || !decoderReduces) && fullBytes > qint64(PictureMemoryLimitMB) * 1024 * 1024) {
        why = QStringLiteral("%1 × %2 pixels is too large to read").arg(raw.width()).arg(raw.height());
        return {};
    }
    if (reduce) {
        reader.setScaledSize(raw.scaled(wanted, Qt::KeepAspectRatioByExpanding));
    }
    source.fullSize = !reduce;

    const AllocationLimit limit(reduce && decoderReduces ? qint64(wanted.width()) * wanted.height() * 4 * 64
                                                         : fullBytes);
    QImage picture = reader.read();
    if (picture.isNull()) {
        why = reader.error() == QImageReader::UnknownError ? QStringLiteral("the file is damaged")
                                                           : reader.errorString();
    }
    return picture;
}

} // namespace

QRectF FittedRect(QSizeF picture, QSizeF frame) {
    const double W = frame.width();
    const double H = frame.height();
    const double w = picture.width();
    const double h = picture.height();
    if (!(w > 0 && h > 0)) {
        return {};
    }
    if (!(W > 0 && H > 0)) {
        return {QPointF(0, 0), QSizeF(std::max(W, 0.0), std::max(H, 0.0))};
    }
    double width = 0;
    double height = 0;
    if (h / H > w / W) {
        height = H;
        width = height * (w / h);
    } else {
        width = W;
        height = width * (h / w);
    }
    return {(W - width) / 2, (H - height) / 2, width, height};
}

void FitPicture(ImageBox& image, const QWidget& frame, const QString& path) {
    if (path.isEmpty()) {
        image.clearPicture();
        image.setLastFailure(QString());
        image.setGeometry(frame.rect());
        image.show();
        return;
    }
    const QFileInfo file(path);
    if (!file.isFile()) {
        reportOnce(image, path, QStringLiteral("there is no such file"));
        image.show();
        return;
    }

    ImageBox::Source source;
    source.path = path;
    source.modified = file.lastModified().toMSecsSinceEpoch();
    source.bytes = file.size();
    const ImageBox::Source& held = image.source();
    const bool sameFile = image.hasPicture() && held.path == path && held.modified == source.modified &&
                          held.bytes == source.bytes;

    const QSizeF natural = sameFile ? QSizeF(held.naturalSize) : QSizeF();
    const qreal dpr = frame.devicePixelRatioF();
    const auto placeFor = [&](QSizeF pictureSize) {
        const QRectF r = FittedRect(pictureSize, QSizeF(frame.size()));
        const int left = int(std::lround(r.left()));
        const int top = int(std::lround(r.top()));
        return QRect(left, top, std::max(1, int(std::lround(r.right())) - left),
                     std::max(1, int(std::lround(r.bottom())) - top));
    };
    const auto devicePixels = [dpr](QSize logical) {
        return QSize(int(std::ceil(logical.width() * dpr)), int(std::ceil(logical.height() * dpr)));
    };

    if (sameFile) {
        const QRect place = placeFor(natural);
        const QSize shown = devicePixels(place.size());
        // The picture in hand serves if it has every pixel of the file or at least as many as shown.
        if (held.fullSize ||
            (image.picture().width() >= shown.width() && image.picture().height() >= shown.height())) {
            image.setLastFailure(QString());
            image.setGeometry(place);
            image.show();
            return;
        }
    }

    if (failures().known(path)) {
        // Unchanged since it failed: reading it again would only fail again.
        image.setLastFailure(path);
        image.show();
        return;
    }

    // The size shown depends on the proportions, which only the file's header tells.
    QImageReader probe(path);
    probe.setAutoTransform(true);
    QSize raw = probe.size();
    if (!raw.isValid() || raw.isEmpty()) {
        // Not even its size can be read; a second reader would only fail again.
        reportOnce(image, path,
                   probe.error() == QImageReader::UnsupportedFormatError
                       ? QStringLiteral("it is no picture we can read")
                       : QStringLiteral("the file is damaged"));
        image.show();
        return;
    }
    if (turnsSideways(probe.transformation())) {
        raw.transpose();
    }
    const QRect place = placeFor(QSizeF(raw));
    QString why;
    const QImage picture = readPicture(path, devicePixels(place.size()), source, why);
    if (picture.isNull()) {
        reportOnce(image, path, why.isEmpty() ? QStringLiteral("it is no readable picture") : why);
        image.show();
        return;
    }
    image.setLastFailure(QString());
    failures().forget(path);
    image.setPicture(picture, source);
    image.setGeometry(placeFor(QSizeF(source.naturalSize)));
    image.show();
}

} // namespace modGrabKeys
