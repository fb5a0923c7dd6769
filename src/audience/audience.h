#pragma once

#include "audience/audiencecontroller.h"
#include "audience/audienceindicator.h"
#include "audience/audiencewindow.h"

#include <QObject>
#include <memory>

// The audience's side of one operator's board: the audience window, what places it, and the
// operator's indicator on the board. The window goes with this object.
class Audience : public QObject {
    Q_OBJECT

public:
    // `content` is what the audience window shows (taken); the indicator goes onto `operatorBoard`.
    Audience(QWidget& operatorBoard, QWidget* content, const SettingsRecord& settings = Settings,
             QObject* parent = nullptr);
    ~Audience() override;

    AudienceWindow& window() { return *m_window; }
    AudienceController& controller() { return *m_controller; }
    AudienceIndicator& indicator() { return *m_indicator; }

private:
    std::unique_ptr<AudienceWindow> m_window;
    AudienceController* m_controller = nullptr;
    AudienceIndicator* m_indicator = nullptr;
};
