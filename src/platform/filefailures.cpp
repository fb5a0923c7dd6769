#include "platform/filefailures.h"

#include <QDateTime>
#include <QFileInfo>

FileFailures::State FileFailures::stateOf(const QString& path) {
    const QFileInfo file(path);
    if (!file.exists()) {
        return {};
    }
    return {file.size(), file.lastModified().toMSecsSinceEpoch()};
}

bool FileFailures::known(const QString& path) const {
    const auto it = m_failed.constFind(path);
    return it != m_failed.constEnd() && *it == stateOf(path);
}

bool FileFailures::record(const QString& path) {
    if (known(path)) {
        return false;
    }
    m_failed.insert(path, stateOf(path));
    return true;
}
