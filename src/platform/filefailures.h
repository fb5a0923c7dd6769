#pragma once

#include <QHash>
#include <QString>

// The files found unusable so far, each as it was then (size and time of last change), so
// that a bad file is reported, and read, once per run however often it is tried again. A file
// that changes, or that later works, is tried afresh.
class FileFailures {
public:
    // Whether `path`, as it is now, has failed before.
    bool known(const QString& path) const;
    // Notes that `path` failed; true the first time for the file as it is now (then report it).
    bool record(const QString& path);
    void forget(const QString& path) { m_failed.remove(path); }

private:
    struct State {
        qint64 bytes = -1; // -1: the file did not exist
        qint64 modified = -1;
        bool operator==(const State&) const = default;
    };
    static State stateOf(const QString& path);

    QHash<QString, State> m_failed;
};
