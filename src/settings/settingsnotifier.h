#pragma once

#include <QObject>

// Announces that the process-wide Settings may have changed (CommitSettings, LoadSettings).
// Every view that shows settings (the board, an open options dialog) refreshes when it
// speaks, and only then, instead of being told by whoever changed them.
class SettingsNotifier : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Emits changed(). Besides a commit, the board asks for one when the options dialog closes
    // without a change, so that the views take up files the settings name that may have
    // changed on disk meanwhile.
    void announce() {
        ++m_announcements;
        emit changed();
    }
    // How many announcements there have been; tells whether one came in the meantime.
    quint64 announcements() const { return m_announcements; }

signals:
    void changed();

private:
    quint64 m_announcements = 0;
};

// The one notifier of the process.
SettingsNotifier& settingsChanges();
