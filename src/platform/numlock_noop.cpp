#include "platform/numlock_noop.h"

#include <utility>

NoopKeyboardBackend::NoopKeyboardBackend(QString platform) : m_platform(std::move(platform)) {}

QString NoopKeyboardBackend::failure() const {
    if (m_platform.isEmpty()) {
        return QStringLiteral("no windowing system is running yet");
    }
    return QStringLiteral("the \"%1\" windowing system gives programs no access to it").arg(m_platform);
}
