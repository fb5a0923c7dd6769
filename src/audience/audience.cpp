#include "audience/audience.h"

#include "settings/settingsnotifier.h"

Audience::Audience(QWidget& operatorBoard, QWidget* content, const SettingsRecord& settings, QObject* parent)
    : QObject(parent), m_window(std::make_unique<AudienceWindow>(content)),
      m_controller(new AudienceController(*m_window, settings, this)),
      m_indicator(new AudienceIndicator(*m_controller, &operatorBoard)) {
    connect(&settingsChanges(), &SettingsNotifier::changed, m_controller,
            &AudienceController::settingsChanged);
}

Audience::~Audience() = default;
