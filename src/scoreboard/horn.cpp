#include "scoreboard/horn.h"

#include "platform/sounddevice.h"

#include <QFileInfo>

Horn::Horn(DeviceFactory makeDevice, QObject* parent)
    : QObject(parent), m_makeDevice(std::move(makeDevice)) {}

Horn::~Horn() {
    close();
}

SoundDevice& Horn::ensureDevice() {
    if (m_device == nullptr) {
        m_device = m_makeDevice();
        m_device->setParent(this);
        connect(m_device, &SoundDevice::finished, this, &Horn::finished);
    }
    return *m_device;
}

void Horn::open(const QString& file) {
    if (!file.isEmpty() && QFileInfo(file).isFile()) {
        ensureDevice().open(file);
    }
}

void Horn::reload(const QString& file) {
    if (m_device == nullptr && file.isEmpty()) {
        return; // nothing was open and nothing is to be
    }
    SoundDevice& device = ensureDevice();
    device.close();
    device.open(file);
}

void Horn::close() {
    if (m_device != nullptr && !m_device->fileName().isEmpty()) {
        m_device->close();
    }
}

void Horn::sound() {
    if (m_device != nullptr && !m_device->fileName().isEmpty() && !m_playing) {
        m_playing = true;
        m_device->play();
    }
}

void Horn::finished() {
    // The device reports the end once the last sample has sounded, so this cuts nothing;
    // every play starts from the beginning of the sound.
    m_device->stop();
    m_playing = false;
}
