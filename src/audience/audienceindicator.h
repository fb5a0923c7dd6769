#pragma once

#include "audience/audiencecontroller.h"

#include <QWidget>

// The operator's small note of what the audience sees: a coloured dot and a word or two, in a
// corner of the operator's board. It sizes and places itself in its parent's bottom right
// corner, below the board's design, and repaints only when the status changes.
class AudienceIndicator : public QWidget {
    Q_OBJECT

public:
    AudienceIndicator(const AudienceController& controller, QWidget* board);

    QString text() const { return m_text; }
    AudienceController::Status status() const { return m_status; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show(AudienceController::Status status, const QString& text);
    void place();

    AudienceController::Status m_status = AudienceController::Status::Off;
    QString m_text;
};
