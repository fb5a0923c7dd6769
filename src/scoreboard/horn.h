#pragma once

#include <QObject>
#include <QString>
#include <functional>

class SoundDevice;

// A horn of the board: one sound device kept open for the board's life, so that it sounds at
// once. Opened at the start only when its file is there, opened again (whatever the file) after
// the options, it plays from the start of the sound and ignores a play while one is under way.
// The device is made when a file is first opened, so a horn with no sound of its own costs no
// audio connection.
class Horn : public QObject {
    Q_OBJECT

public:
    using DeviceFactory = std::function<SoundDevice*()>;
    Horn(DeviceFactory makeDevice, QObject* parent);
    ~Horn() override;

    // At the start: opens an existing file; any other leaves the horn silent.
    void open(const QString& file);
    // After the options: closes and opens again, without looking at the file first.
    void reload(const QString& file);
    void close();

    void sound();
    bool playing() const { return m_playing; }
    // The device, once a file has been opened; nullptr until then.
    SoundDevice* device() const { return m_device; }

private:
    void finished();
    SoundDevice& ensureDevice();

    DeviceFactory m_makeDevice;
    SoundDevice* m_device = nullptr;
    bool m_playing = false;
};
