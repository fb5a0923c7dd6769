#include "audience/audiencecontroller.h"

#include "audience/audiencelog.h"
#include "audience/audiencewindow.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

ScreenIdentity chosenScreen(const SettingsRecord& s) {
    return {s.Screen, s.ScreenModel, s.ScreenSerial};
}

} // namespace

AudienceController::AudienceController(AudienceWindow& window, const SettingsRecord& settings,
                                       QObject* parent)
    : QObject(parent), m_window(window), m_settings(settings), m_chosen(chosenScreen(settings)) {
    connect(qGuiApp, &QGuiApplication::screenAdded, this, &AudienceController::follow);
    // Qt moves the windows of a screen that went away onto the primary one right after this
    // signal; the audience window must be hidden before that.
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &AudienceController::screenRemoved);
}

void AudienceController::start() {
    m_wanted = audienceOpensAtStart(m_settings);
    m_onPurpose = false;
    follow();
}

void AudienceController::toggleShown() {
    if (m_window.isVisible()) {
        m_wanted = false;
        m_onPurpose = false;
        m_blackout = false;
    } else if (m_chosen.isNone()) {
        qCWarning(lcAudience) << "F3: no audience screen is chosen (Options, Audience)";
        m_wanted = false;
    } else if (findScreen(m_chosen, QGuiApplication::screens()) != nullptr) {
        m_wanted = true;
        m_onPurpose = true;
    } else {
        // Its screen is not there: F3 starts or stops waiting for it.
        m_wanted = !m_wanted;
        m_onPurpose = m_wanted;
    }
    follow();
}

void AudienceController::toggleBlackout() {
    if (!m_wanted) {
        return;
    }
    m_blackout = !m_blackout;
    m_window.setBlackedOut(m_blackout);
    updateStatus();
}

void AudienceController::settingsChanged() {
    const ScreenIdentity chosen = chosenScreen(m_settings);
    if (chosen == m_chosen) {
        return;
    }
    m_chosen = chosen;
    follow();
}

void AudienceController::follow() {
    QScreen* target = findScreen(m_chosen, QGuiApplication::screens());
    // The only screen is the operator's: covering it takes a deliberate F3.
    const bool show = m_wanted && target != nullptr && (QGuiApplication::screens().size() > 1 || m_onPurpose);
    m_window.setBlackedOut(m_blackout);
    if (show) {
        place(target);
    } else {
        hideWindow();
    }
    updateStatus();
}

void AudienceController::place(QScreen* screen) {
    if (m_screen != screen) {
        hideWindow();
        m_screen = screen;
        // A new resolution or place of the same screen: cover it again.
        m_geometryWatch = connect(screen, &QScreen::geometryChanged, this, [this] {
            if (m_screen != nullptr && m_window.isVisible()) {
                m_window.setGeometry(m_screen->geometry());
            }
        });
    }
    // On the screen before it is mapped, so that neither Qt nor a window manager puts it
    // anywhere else first.
    m_window.setScreen(screen);
    m_window.setGeometry(screen->geometry());
    // Not showFullScreen(), which would also take the keyboard from the operator's board.
    m_window.setWindowState(Qt::WindowFullScreen);
    m_window.show();
}

void AudienceController::hideWindow() {
    disconnect(m_geometryWatch);
    m_screen = nullptr;
    if (m_window.isVisible()) {
        m_window.hide();
    }
}

void AudienceController::screenRemoved(QScreen* screen) {
    if (screen != m_screen) {
        follow();
        return;
    }
    qCInfo(lcAudience) << "the audience screen" << screen->name() << "went away; waiting for it";
    hideWindow();
    follow();
}

void AudienceController::updateStatus() {
    Status status = Status::Off;
    if (m_window.isVisible()) {
        status = m_blackout ? Status::BlackedOut : Status::On;
    } else if (m_wanted && !m_chosen.isNone()) {
        status = Status::Waiting;
    }
    const Status before = m_status;
    const QString textBefore = m_text;
    m_status = status;
    m_text = describe();
    if (status != before || m_text != textBefore) {
        emit statusChanged(status);
    }
}

QString AudienceController::describe() const {
    switch (m_status) {
    case Status::On:
        return QStringLiteral("Audience on %1").arg(m_chosen.name);
    case Status::BlackedOut:
        return QStringLiteral("Audience blacked out");
    case Status::Waiting:
        if (findScreen(m_chosen, QGuiApplication::screens()) != nullptr) {
            return QStringLiteral("Audience: F3 opens it on %1, the only screen").arg(m_chosen.name);
        }
        return QStringLiteral("Audience waiting for %1").arg(m_chosen.name);
    case Status::Off:
        break;
    }
    return m_chosen.isNone() ? QStringLiteral("Audience off (no screen chosen)")
                             : QStringLiteral("Audience off");
}
