#pragma once

#include <QString>
#include <map>
#include <memory>
#include <tuple>

class QSettings;

// The per-user store the options live in: text values addressed by application,
// section and key. Everything goes through this interface so that tests (and anything
// else that must not touch the user's real options) can put another store in place.
class SettingsStore {
public:
    class Session;

    virtual ~SettingsStore() = default;

    // The stored text, or defaultValue when the key is absent or the store cannot be read.
    // Reading never creates a key.
    virtual QString read(const QString& application, const QString& section, const QString& key,
                         const QString& defaultValue) const = 0;
    // Creates or replaces the value and returns whether it reached the store. Inside a
    // Session the value is only kept until the session ends, and the answer is whether the
    // store could be opened; the session's end() tells whether it was written.
    virtual bool write(const QString& application, const QString& section, const QString& key,
                       const QString& text) = 0;

protected:
    // The two ends of a Session of one application; only Session calls them. A store with
    // nothing to open (the memory store) keeps these defaults.
    virtual bool beginSession(const QString& /*application*/) const { return true; }
    virtual bool endSession(const QString& /*application*/) const { return true; }
};

// A whole load or save in one open of the store: while a Session lives, every read and
// write of its application goes through the one open, and what was written goes out
// together when it ends. Sessions of the same application may nest; only the outermost
// opens and writes.
class SettingsStore::Session {
public:
    Session(const SettingsStore& store, const QString& application);
    // Ends the session if end() has not.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Whether the store could be opened. When it could not, reads give their defaults and
    // writes are dropped.
    bool isOpen() const { return m_open; }
    // Ends the session and returns whether the store could be opened and everything written
    // in it reached the store (for a nested session: whether the store is open).
    bool end();

private:
    const SettingsStore* m_store; // null once ended
    QString m_application;
    bool m_open;
};

// The real store, on QSettings: each section is a group, and every value is written and
// read as text.
//
// Where the options live with the default constructor:
//   Linux and other Unix: ~/.config/Ravenmark/Ravenmark.conf ($XDG_CONFIG_HOME/Ravenmark/Ravenmark.conf
//                         when XDG_CONFIG_HOME is set), an INI file with one [group] per section
//   Windows:              the registry, HKEY_CURRENT_USER\Software\Ravenmark\Ravenmark\<section>
//   macOS:                ~/Library/Preferences/com.ravenmark.Ravenmark.plist
//
// A file is only handed to QSettings when it is a regular file or does not exist yet: a pipe
// or a device would block the open for ever, a folder can never hold the options. Such a
// store reads as empty and refuses writes, with one line in the log (ravenmark.settings).
// Writes replace the file as a whole (QSettings writes a new file and renames it), so a
// failed write leaves the old file as it was.
//
// A value written as a list by hand ("a, b" in the INI file) is read back joined with ", ".
class QSettingsStore : public SettingsStore {
public:
    // The platform's per-user location (above).
    QSettingsStore();
    // An INI file <directory>/<application>.conf instead; for tests and for a portable setup.
    explicit QSettingsStore(const QString& directory);
    ~QSettingsStore() override;

    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override;
    bool write(const QString& application, const QString& section, const QString& key,
               const QString& text) override;

    // The file (or registry path) that holds an application's options. Never opens it.
    QString location(const QString& application) const;

protected:
    bool beginSession(const QString& application) const override;
    bool endSession(const QString& application) const override;

    // Makes the QSettings over an application's options; called once per session, and only
    // after the path has been checked.
    virtual std::unique_ptr<QSettings> openSettings(const QString& application) const;

private:
    struct OpenStore;
    // The open sessions, by application.
    OpenStore* openStore(const QString& application) const;

    QString m_directory; // empty: the platform's per-user location
    mutable std::map<QString, std::unique_ptr<OpenStore>> m_open;
};

// A store held in memory only; for tests and for code that wants to see what would be written.
class MemorySettingsStore : public SettingsStore {
public:
    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override;
    bool write(const QString& application, const QString& section, const QString& key,
               const QString& text) override;

    bool contains(const QString& application, const QString& section, const QString& key) const;
    std::size_t size() const { return m_values.size(); }

private:
    std::map<std::tuple<QString, QString, QString>, QString> m_values;
};

// The process-wide store; a QSettingsStore on the platform's per-user location unless
// another store has been installed.
SettingsStore& settingsStore();
// Puts another store in place of the process-wide one (tests point it at a throw-away
// location or at a MemorySettingsStore). Passing nullptr goes back to the default store.
void setSettingsStore(std::unique_ptr<SettingsStore> store);
