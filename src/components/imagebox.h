#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

// A picture element of the board: paints its picture scaled into its own rect, smoothly.
// The caller sizes the element to the picture's proportions, so nothing is cropped or
// distorted. Besides the picture it remembers where the picture came from, so that a
// fit into a new frame size can reuse it instead of reading the file again.
class ImageBox : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QImage Picture READ picture WRITE setPicture NOTIFY pictureChanged)

public:
    // Where the shown picture was read from and how: the file's path, its last
    // modification and length, its natural size in pixels, and whether the picture
    // holds every pixel of the file (false when it was read reduced).
    struct Source {
        QString path;
        qint64 modified = 0;
        qint64 bytes = 0;
        QSize naturalSize;
        bool fullSize = true;
        friend bool operator==(const Source&, const Source&) = default;
    };

    explicit ImageBox(QWidget* parent = nullptr);

    QImage picture() const { return m_picture; }
    // An empty image shows nothing (the frame behind shows through).
    void setPicture(const QImage& picture);
    void setPicture(const QImage& picture, const Source& source);
    void clearPicture();
    bool hasPicture() const { return !m_picture.isNull(); }
    const Source& source() const { return m_source; }

    // The last file that failed to give a picture, so a refit of the same bad file
    // does not report it again.
    QString lastFailure() const { return m_lastFailure; }
    void setLastFailure(const QString& path) { m_lastFailure = path; }

    // How often the picture has been painted; a benchmark or test can see that an
    // unchanged picture costs nothing.
    int paintsDone() const { return m_paints; }

signals:
    void pictureChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    Source m_source;
    QString m_lastFailure;
    int m_paints = 0;
};

// Makes the picture elements known to assistive tools as graphics.
void installImageBoxAccessibility();
