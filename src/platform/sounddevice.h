#pragma once

#include <QObject>
#include <QString>

// The buzzer's sound device. The board keeps one open for its whole life so that a
// play sounds at once, and counts on finished() to know when it may play again.
//
// Contract, for every implementation:
// - open(path) remembers the path as fileName() whether or not the file can be played;
//   it returns false (and the device stays silent) for anything it cannot play.
// - Every play() ends in exactly one finished(), whatever goes wrong (no sound
//   server, no file, a device that never reports the end), and never from inside
//   play() itself. A play() while one is under way is ignored.
// - finished() after a natural end comes only once the last sample has been played,
//   so a stop() at that moment cuts nothing.
// - stop() and close() cut a play short; it still ends in finished().
class SoundDevice : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool open(const QString& path) = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void close() = 0;

    virtual bool isOpen() const = 0;
    virtual bool isPlaying() const = 0;

    // The path of the last open(); empty until then. close() keeps it.
    QString fileName() const { return m_fileName; }

signals:
    void finished();
    void playingChanged(bool playing);

protected:
    void setFileName(const QString& fileName) { m_fileName = fileName; }

private:
    QString m_fileName;
};
