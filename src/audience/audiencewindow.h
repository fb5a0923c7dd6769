#pragma once

#include <QWidget>

// The audience's own window: full screen and frameless on its screen, with no pointer, no
// focus and no keyboard. It holds the board the audience reads; blacked out, it shows black
// and the board beneath is neither shown nor painted.
class AudienceWindow : public QWidget {
    Q_OBJECT

public:
    // Takes `content` (the audience's board), sized to the whole window.
    explicit AudienceWindow(QWidget* content = nullptr);

    QWidget* content() const { return m_content; }
    void setContent(QWidget* content);

    bool blackedOut() const { return m_blackedOut; }
    void setBlackedOut(bool blackedOut);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWidget* m_content = nullptr;
    bool m_blackedOut = false;
};
