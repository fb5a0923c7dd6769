#pragma once

#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QString>
#include <set>

// What the settings tests share: a store written key by key, and a record loaded from it as
// a program installed in ExeDir would load it.
namespace settingstest {

inline const QString App = QStringLiteral("Ravenmark");
inline const QString ExeDir = QStringLiteral("/opt/ravenmark/bin");

// What a key table without its first quick key sends back to their defaults: the main keys and the
// score and foul quick keys.
inline const std::set<SettingId> ResetWithScoreH1{
    SettingId::StartStopClockKey, SettingId::ResetClockKey, SettingId::ResetShotClockKey,
    SettingId::ClockSwitchKey,    SettingId::ClearKey,      SettingId::BuzzerKey,
    SettingId::QScoreH2,          SettingId::QScoreH3,      SettingId::QScoreV1,
    SettingId::QScoreV2,          SettingId::QScoreV3,      SettingId::QFoulH1,
    SettingId::QFoulV1,
};

inline void put(SettingsStore& store, SettingId id, const QString& text) {
    const SettingKey& key = settingKey(id);
    store.write(App, QLatin1StringView(key.section), QLatin1StringView(key.key), text);
}

inline SettingsRecord load(const SettingsStore& store, const QString& executableDir = ExeDir) {
    SettingsRecord record;
    LoadSettings(store, record, executableDir);
    return record;
}

inline QString textOf(const SettingsRecord& record, SettingId id) {
    return storedText(record, settingKey(id));
}

} // namespace settingstest
