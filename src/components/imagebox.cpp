#include "components/imagebox.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPaintEvent>
#include <QPainter>

namespace {

class ImageBoxAccessible : public QAccessibleWidget {
public:
    explicit ImageBoxAccessible(ImageBox* box) : QAccessibleWidget(box, QAccessible::Graphic) {}

    QString text(QAccessible::Text t) const override {
        const auto* box = static_cast<const ImageBox*>(widget());
        if (t == QAccessible::Description && box->accessibleDescription().isEmpty()) {
            // Say which picture is shown, or that there is none.
            return box->hasPicture() ? box->source().path : QStringLiteral("No picture");
        }
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* imageBoxFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("ImageBox") && object != nullptr && object->isWidgetType()) {
        return new ImageBoxAccessible(static_cast<ImageBox*>(object));
    }
    return nullptr;
}

} // namespace

void installImageBoxAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(imageBoxFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

ImageBox::ImageBox(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    // Clicks belong to the frame, which forwards keys to the board.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAccessibleName(QStringLiteral("Picture"));
}

void ImageBox::setPicture(const QImage& picture) {
    setPicture(picture, Source{});
}

void ImageBox::setPicture(const QImage& picture, const Source& source) {
    if (source == m_source && picture.cacheKey() == m_picture.cacheKey()) {
        return;
    }
    m_picture = picture;
    m_source = source;
    // A picture without pixels of its own lets the frame show through.
    setAttribute(Qt::WA_OpaquePaintEvent, !m_picture.isNull() && !m_picture.hasAlphaChannel());
    update();
    emit pictureChanged();
}

void ImageBox::clearPicture() {
    if (m_picture.isNull() && m_source == Source{}) {
        return;
    }
    setPicture(QImage(), Source{});
}

void ImageBox::paintEvent(QPaintEvent* event) {
    if (m_picture.isNull()) {
        return;
    }
    ++m_paints;
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(rect()), m_picture);
}
