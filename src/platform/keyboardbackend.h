#pragma once

#include <QString>
#include <optional>

// The keyboard state as the windowing system holds it, one implementation per system.
// Everything is called on the user-interface thread.
class KeyboardBackend {
public:
    virtual ~KeyboardBackend() = default;

    // Whether NumLock is on now; nullopt when it cannot be read here (then failure() says why).
    virtual std::optional<bool> numLockOn() = 0;

    // Toggles NumLock with one press and one release of the NumLock key, injected so that they
    // reach the focused window like the operator's own. false when nothing could be sent.
    virtual bool toggleNumLock() = 0;

    // Why the last call failed, in a few words for the log.
    virtual QString failure() const = 0;
};
