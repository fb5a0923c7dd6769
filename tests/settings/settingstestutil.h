#pragma once

#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QString>

// What the settings tests share: a store written key by key, and a record loaded from it as
// a program installed in ExeDir would load it.
namespace settingstest {

inline const QString App = QStringLiteral("Ravenmark");
inline const QString ExeDir = QStringLiteral("/opt/ravenmark/bin");

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
