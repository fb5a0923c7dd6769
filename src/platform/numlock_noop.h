#pragma once

#include "platform/keyboardbackend.h"

// Where the program cannot see or change the keyboard state (Wayland, offscreen): reads
// nothing, sends nothing.
class NoopKeyboardBackend final : public KeyboardBackend {
public:
    // platform: the windowing system's name, for the log; empty before the application exists.
    explicit NoopKeyboardBackend(QString platform);

    std::optional<bool> numLockOn() override { return std::nullopt; }
    bool toggleNumLock() override { return false; }
    QString failure() const override;

    const QString& platform() const { return m_platform; }

private:
    QString m_platform;
};
