#pragma once

// Stand-ins for the devices the program drives, so a test sees every command.

#include "platform/keyboardbackend.h"
#include "platform/sounddevice.h"

#include <QStringList>

// A NumLock kept in memory. The program owns the backend once installed; the test keeps
// the pointer installFakeKeyboard() returns while it is installed.
class FakeKeyboard final : public KeyboardBackend {
public:
    bool on = false;
    bool readable = true;
    bool canSend = true;
    int toggles = 0;

    std::optional<bool> numLockOn() override { return readable ? std::optional<bool>(on) : std::nullopt; }
    bool toggleNumLock() override;
    QString failure() const override { return QStringLiteral("refused by the test"); }
};

// Makes a FakeKeyboard the program's keyboard; setKeyboardBackend(nullptr) takes it away.
FakeKeyboard* installFakeKeyboard(bool on = false);

// Records the commands sent to a sound device; the test decides when a play finishes.
class FakeSound : public SoundDevice {
public:
    bool open(const QString& path) override;
    void play() override;
    void stop() override { commands << QStringLiteral("Stop"); }
    void close() override;
    bool isOpen() const override { return m_open; }
    bool isPlaying() const override { return false; }
    void finish() { emit finished(); }

    QStringList commands;
    // Every path opened, in order.
    QStringList opened;
    int plays = 0;

private:
    bool m_open = false;
};
