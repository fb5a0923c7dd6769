#pragma once

#include "settings/settings.h"

// Puts the process-wide Settings back as they were when the guard was made, however the
// test ends: a failed QCOMPARE returns early, past any restoring line after it.
class SettingsGuard {
public:
    SettingsGuard() : m_saved(Settings) {}
    ~SettingsGuard() { Settings = m_saved; }
    SettingsGuard(const SettingsGuard&) = delete;
    SettingsGuard& operator=(const SettingsGuard&) = delete;

private:
    SettingsRecord m_saved;
};
