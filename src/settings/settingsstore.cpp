#include "settings/settingsstore.h"

#include <QDir>
#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace {

// One QSettings per call: every write is on disk when write() returns, and QSettings
// shares its parsed files between instances, so reads stay cheap.
std::unique_ptr<QSettings> openSettings(const QString& directory, const QString& application) {
    if (directory.isEmpty()) {
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, application,
                                           application);
    }
    return std::make_unique<QSettings>(QDir(directory).filePath(application + QStringLiteral(".conf")),
                                       QSettings::IniFormat);
}

QString groupedKey(const QString& section, const QString& key) {
    return section + u'/' + key;
}

std::unique_ptr<SettingsStore>& installedStore() {
    static std::unique_ptr<SettingsStore> store;
    return store;
}

} // namespace

QSettingsStore::QSettingsStore(const QString& directory) : m_directory(directory) {}

QString QSettingsStore::read(const QString& application, const QString& section, const QString& key,
                             const QString& defaultValue) const {
    const auto settings = openSettings(m_directory, application);
    const QVariant value = settings->value(groupedKey(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    // The INI reader turns an unquoted "a, b" into a list; the store deals in text only.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    return value.toString();
}

void QSettingsStore::write(const QString& application, const QString& section, const QString& key,
                           const QString& text) {
    const auto settings = openSettings(m_directory, application);
    settings->setValue(groupedKey(section, key), text);
}

QString QSettingsStore::location(const QString& application) const {
    return openSettings(m_directory, application)->fileName();
}

QString MemorySettingsStore::read(const QString& application, const QString& section, const QString& key,
                                  const QString& defaultValue) const {
    const auto found = m_values.find({application, section, key});
    return found == m_values.end() ? defaultValue : found->second;
}

void MemorySettingsStore::write(const QString& application, const QString& section, const QString& key,
                                const QString& text) {
    m_values[{application, section, key}] = text;
}

bool MemorySettingsStore::contains(const QString& application, const QString& section,
                                   const QString& key) const {
    return m_values.contains({application, section, key});
}

SettingsStore& settingsStore() {
    auto& store = installedStore();
    if (!store) {
        store = std::make_unique<QSettingsStore>();
    }
    return *store;
}

void setSettingsStore(std::unique_ptr<SettingsStore> store) {
    installedStore() = std::move(store);
}
