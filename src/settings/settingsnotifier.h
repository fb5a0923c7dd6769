#pragma once

#include <QObject>

// Announces that the process-wide Settings now hold a different record (CommitSettings,
// LoadSettings). Whoever shows settings (the board, an open options dialog) listens to it
// instead of being told by whoever changed them.
class SettingsNotifier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    void changed();
};

// The one notifier of the process.
SettingsNotifier& settingsChanges();
