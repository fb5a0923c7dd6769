#pragma once

#include <QString>
#include <map>
#include <memory>
#include <tuple>

// The per-user store the options live in: text values addressed by application,
// section and key. Everything goes through this interface so that tests (and anything
// else that must not touch the user's real options) can put another store in place.
class SettingsStore {
public:
    virtual ~SettingsStore() = default;

    // The stored text, or defaultValue when the key is absent. Reading never creates a key.
    virtual QString read(const QString& application, const QString& section, const QString& key,
                         const QString& defaultValue) const = 0;
    // Creates or replaces the value.
    virtual void write(const QString& application, const QString& section, const QString& key,
                       const QString& text) = 0;
};

// The real store, on QSettings: the application name is both QSettings' organisation and
// application, each section is a group, and every value is written and read as text.
//
// Where the options live with the default constructor:
//   Linux and other Unix: ~/.config/Ravenmark/Ravenmark.conf ($XDG_CONFIG_HOME/Ravenmark/Ravenmark.conf
//                         when XDG_CONFIG_HOME is set), an INI file with one [group] per section
//   Windows:              the registry, HKEY_CURRENT_USER\Software\Ravenmark\Ravenmark\<section>
//   macOS:                ~/Library/Preferences/com.ravenmark.Ravenmark.plist
//
// A value written as a list by hand ("a, b" in the INI file) is read back joined with ", ".
class QSettingsStore : public SettingsStore {
public:
    // The platform's per-user location (above).
    QSettingsStore() = default;
    // An INI file <directory>/<application>.conf instead; for tests and for a portable setup.
    explicit QSettingsStore(const QString& directory);

    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override;
    void write(const QString& application, const QString& section, const QString& key,
               const QString& text) override;

    // The file (or registry path) that holds an application's options.
    QString location(const QString& application) const;

private:
    QString m_directory; // empty: the platform's per-user location
};

// A store held in memory only; for tests and for code that wants to see what would be written.
class MemorySettingsStore : public SettingsStore {
public:
    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override;
    void write(const QString& application, const QString& section, const QString& key,
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
