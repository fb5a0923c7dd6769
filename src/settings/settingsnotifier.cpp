#include "settings/settingsnotifier.h"

#include "settings/settings.h"

SettingsNotifier& settingsChanges() {
    static SettingsNotifier notifier;
    return notifier;
}

void CommitSettings(const SettingsRecord& record) {
    if (record == Settings) {
        return;
    }
    Settings = record;
    settingsChanges().announce();
}
