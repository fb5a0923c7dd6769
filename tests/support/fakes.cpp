#include "support/fakes.h"

#include "platform/numlock.h"

#include <memory>

bool FakeKeyboard::toggleNumLock() {
    if (canSend) {
        ++toggles;
        on = !on;
    }
    return canSend;
}

FakeKeyboard* installFakeKeyboard(bool on) {
    auto keyboard = std::make_unique<FakeKeyboard>();
    keyboard->on = on;
    FakeKeyboard* raw = keyboard.get();
    setKeyboardBackend(std::move(keyboard));
    return raw;
}

bool FakeSound::open(const QString& path) {
    setFileName(path);
    commands << QStringLiteral("Open");
    opened << path;
    m_open = true;
    return true;
}

void FakeSound::play() {
    commands << QStringLiteral("Play");
    ++plays;
}

void FakeSound::close() {
    commands << QStringLiteral("Close");
    m_open = false;
}
