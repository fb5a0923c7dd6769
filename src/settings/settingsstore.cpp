#include "settings/settingsstore.h"

#include "settings/settingslog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <utility>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

Q_LOGGING_CATEGORY(lcSettings, "ravenmark.settings", QtWarningMsg)

namespace {

// A save killed between making its lock file and writing its process id into it leaves an
// empty lock, which the next save would wait on for half a minute before taking it as stale.
// A live writer fills its lock within moments, so an empty one a second old is a dead one's.
void removeEmptyLock(const QString& settingsPath) {
    const QFileInfo lock(settingsPath + QStringLiteral(".lock"));
    if (lock.isFile() && lock.size() == 0 &&
        lock.lastModified().msecsTo(QDateTime::currentDateTime()) > 1000) {
        QFile::remove(lock.filePath());
    }
}

// Whether the options live in a file whose path we know before QSettings touches it.
// The registry (Windows) and the preferences system (macOS) are not files of ours.
bool onFile(const QString& directory) {
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return !directory.isEmpty();
#else
    Q_UNUSED(directory);
    return true;
#endif
}

// Why QSettings must not be given this path, or an empty text when it may. Opening a pipe
// blocks until someone writes into it, so it is told apart by its type, before any open.
QString unusableBecause(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || info.isFile()) {
        return {};
    }
    if (info.isDir()) {
        return QStringLiteral("it is a folder");
    }
    return QStringLiteral("it is not a regular file (a pipe, socket or device)");
}

// Tells one file at a path from the next one there: a save writes a new file and renames it
// over the old one.
struct FileIdentity {
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t node = 0;
    qint64 modified = 0;
    qint64 size = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const QString& path) {
    FileIdentity identity;
#ifdef Q_OS_UNIX
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) == 0) {
        identity.exists = true;
        identity.device = static_cast<std::uint64_t>(status.st_dev);
        identity.node = static_cast<std::uint64_t>(status.st_ino);
    }
#endif
    const QFileInfo info(path);
    identity.exists = identity.exists || info.exists();
    if (identity.exists) {
        identity.modified = info.lastModified().toMSecsSinceEpoch();
        identity.size = info.size();
    }
    return identity;
}

QString groupedKey(const QString& section, const QString& key) {
    return section + u'/' + key;
}

std::unique_ptr<SettingsStore>& installedStore() {
    static std::unique_ptr<SettingsStore> store;
    return store;
}

} // namespace

// ---- Session ----

SettingsStore::Session::Session(const SettingsStore& store, const QString& application)
    : m_store(&store), m_application(application), m_open(store.beginSession(application)) {}

SettingsStore::Session::~Session() {
    end();
}

bool SettingsStore::Session::end() {
    if (const SettingsStore* store = std::exchange(m_store, nullptr)) {
        m_open = store->endSession(m_application) && m_open;
        return m_open;
    }
    return m_open;
}

// ---- QSettingsStore ----

struct QSettingsStore::OpenStore {
    int depth = 0;
    QString path;
    std::unique_ptr<QSettings> settings; // null: the path was refused
    bool written = false;
};

QSettingsStore::QSettingsStore() = default;

QSettingsStore::QSettingsStore(const QString& directory) : m_directory(directory) {}

QSettingsStore::~QSettingsStore() = default;

QSettingsStore::OpenStore* QSettingsStore::openStore(const QString& application) const {
    const auto found = m_open.find(application);
    return found == m_open.end() ? nullptr : found->second.get();
}

bool QSettingsStore::beginSession(const QString& application) const {
    std::unique_ptr<OpenStore>& open = m_open[application];
    if (open) {
        ++open->depth;
        return open->settings != nullptr;
    }
    open = std::make_unique<OpenStore>();
    open->depth = 1;
    open->path = location(application);
    if (onFile(m_directory)) {
        if (const QString why = unusableBecause(open->path); !why.isEmpty()) {
            qCWarning(lcSettings).noquote().nospace()
                << "Settings file " << open->path << " is not used: " << why << "; the defaults apply";
            return false;
        }
    }
    if (onFile(m_directory)) {
        removeEmptyLock(open->path);
    }
    open->settings = openSettings(application);
    return true;
}

bool QSettingsStore::endSession(const QString& application) const {
    const auto found = m_open.find(application);
    if (found == m_open.end()) {
        return false;
    }
    if (--found->second->depth > 0) {
        return found->second->settings != nullptr;
    }
    const std::unique_ptr<OpenStore> open = std::move(found->second);
    m_open.erase(found);
    if (!open->settings) {
        return false; // told when it was refused
    }

    QSettings& settings = *open->settings;
    bool written = true;
    if (open->written) {
        const FileIdentity before = identityOf(open->path);
        settings.sync();
        // QSettings keeps the first error it met: a file with garbled lines stays a format
        // error even when the save went through, so only a new file at the path tells.
        written = settings.status() == QSettings::NoError ||
                  (settings.status() == QSettings::FormatError && identityOf(open->path) != before);
    }
    if (!written) {
        qCWarning(lcSettings).noquote().nospace()
            << "Settings could not be written to " << open->path
            << ": the file or its folder cannot be written; the file was left as it was";
    } else if (settings.status() == QSettings::AccessError) {
        qCWarning(lcSettings).noquote().nospace()
            << "Settings file " << open->path << " cannot be read; the defaults apply";
    } else if (settings.status() == QSettings::FormatError) {
        qCWarning(lcSettings).noquote().nospace()
            << "Settings file " << open->path << " has lines that are not settings; they are ignored";
    }
    return written;
}

std::unique_ptr<QSettings> QSettingsStore::openSettings(const QString& application) const {
    if (onFile(m_directory)) {
        return std::make_unique<QSettings>(location(application), QSettings::IniFormat);
    }
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, application,
                                       application);
}

QString QSettingsStore::read(const QString& application, const QString& section, const QString& key,
                             const QString& defaultValue) const {
    const Session session(*this, application); // joins the caller's session, if any
    const OpenStore* open = openStore(application);
    if (!open || !open->settings) {
        return defaultValue;
    }
    const QVariant value = open->settings->value(groupedKey(section, key));
    if (!value.isValid()) {
        return defaultValue;
    }
    // The INI reader turns an unquoted "a, b" into a list; the store deals in text only.
    if (value.typeId() == QMetaType::QStringList) {
        return value.toStringList().join(QStringLiteral(", "));
    }
    return value.toString();
}

bool QSettingsStore::write(const QString& application, const QString& section, const QString& key,
                           const QString& text) {
    Session session(*this, application);
    OpenStore* open = openStore(application);
    if (!open || !open->settings) {
        return false;
    }
    open->settings->setValue(groupedKey(section, key), text);
    open->written = true;
    return session.end();
}

QString QSettingsStore::location(const QString& application) const {
    if (!m_directory.isEmpty()) {
        return QDir(m_directory).filePath(application + QStringLiteral(".conf"));
    }
#if defined(Q_OS_WIN) || defined(Q_OS_DARWIN)
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, application, application).fileName();
#else
    // Where QSettings' native format keeps a user's options on this platform.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + u'/' + application +
           u'/' + application + QStringLiteral(".conf");
#endif
}

// ---- MemorySettingsStore ----

QString MemorySettingsStore::read(const QString& application, const QString& section, const QString& key,
                                  const QString& defaultValue) const {
    const auto found = m_values.find({application, section, key});
    return found == m_values.end() ? defaultValue : found->second;
}

bool MemorySettingsStore::write(const QString& application, const QString& section, const QString& key,
                                const QString& text) {
    m_values[{application, section, key}] = text;
    return true;
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
