#include "audience/audienceindicator.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace {

QColor dotColor(AudienceController::Status status) {
    switch (status) {
    case AudienceController::Status::On:
        return QColor(0, 200, 0);
    case AudienceController::Status::Waiting:
        return QColor(230, 170, 0);
    case AudienceController::Status::BlackedOut:
        return QColor(20, 20, 20);
    case AudienceController::Status::Off:
        break;
    }
    return QColor(128, 128, 128);
}

} // namespace

AudienceIndicator::AudienceIndicator(const AudienceController& controller, QWidget* board) : QWidget(board) {
    setObjectName(QStringLiteral("audienceIndicator"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);
    board->installEventFilter(this);
    connect(
        &controller, &AudienceController::statusChanged, this,
        [this, &controller](AudienceController::Status status) { show(status, controller.statusText()); });
    show(controller.status(), controller.statusText());
}

void AudienceIndicator::show(AudienceController::Status status, const QString& text) {
    if (status == m_status && text == m_text && isVisible()) {
        return;
    }
    m_status = status;
    m_text = text;
    setAccessibleName(text);
    place();
    QWidget::show();
    raise();
    update();
}

void AudienceIndicator::place() {
    const QFontMetrics metrics(font());
    const QSize size(metrics.height() + 4 + metrics.horizontalAdvance(m_text) + 4, metrics.height() + 2);
    const QWidget* board = parentWidget();
    setGeometry(QRect(QPoint(board->width() - size.width() - 2, board->height() - size.height() - 1), size));
}

bool AudienceIndicator::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        place();
    }
    return QWidget::eventFilter(watched, event);
}

void AudienceIndicator::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const int d = height() - 6;
    p.setPen(QColor(160, 160, 160));
    p.setBrush(dotColor(m_status));
    p.drawEllipse(QRect(2, 3, d, d));
    p.setPen(QColor(170, 170, 170));
    p.drawText(rect().adjusted(d + 6, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, m_text);
}
