#include "audience/audiencewindow.h"

#include <QEvent>
#include <QPalette>

AudienceWindow::AudienceWindow(QWidget* content)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName(QStringLiteral("frmAudience"));
    setWindowTitle(QStringLiteral("Ravenmark audience"));
    // The operator keeps the keyboard: showing this window never takes it from the board.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::BlankCursor);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setContent(content);
}

void AudienceWindow::setContent(QWidget* content) {
    delete m_content;
    m_content = content;
    if (m_content == nullptr) {
        return;
    }
    m_content->setParent(this);
    m_content->setGeometry(rect());
    m_content->setVisible(!m_blackedOut);
    // Nothing in it can be selected, typed into or clicked.
    for (QWidget* w : m_content->findChildren<QWidget*>()) {
        w->setFocusPolicy(Qt::NoFocus);
    }
    m_content->setFocusPolicy(Qt::NoFocus);
    m_content->setCursor(Qt::BlankCursor);
    m_content->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void AudienceWindow::setBlackedOut(bool blackedOut) {
    if (blackedOut == m_blackedOut) {
        return;
    }
    m_blackedOut = blackedOut;
    // Hidden rather than covered, so that the board does not paint while nobody sees it.
    if (m_content != nullptr) {
        m_content->setVisible(!blackedOut);
    }
}

void AudienceWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_content != nullptr) {
        m_content->setGeometry(rect());
    }
}

bool AudienceWindow::event(QEvent* event) {
    switch (event->type()) {
    // The window takes no input: keys belong to the operator's board, and a stray click on the
    // projector's screen changes nothing.
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        event->accept();
        return true;
    default:
        return QWidget::event(event);
    }
}
