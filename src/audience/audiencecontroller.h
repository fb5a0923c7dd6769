#pragma once

#include "platform/screenidentity.h"
#include "settings/settings.h"

#include <QObject>
#include <QPointer>
#include <QScreen>

class AudienceWindow;
class QScreen;

// Where the audience window is, and whether it shows. It opens only on the chosen screen, full
// screen; when that screen goes away the window hides (it never moves onto another screen, least
// of all the operator's) and waits for it; when it comes back the window returns to it. With a
// single screen, which is the operator's, it opens only when the operator asks for it (F3).
class AudienceController : public QObject {
    Q_OBJECT

public:
    enum class Status {
        Off,        // the operator has it off, or no screen is chosen
        Waiting,    // wanted, but its screen is not there (or is the only screen)
        On,         // showing the board on its screen
        BlackedOut, // on its screen, black
    };
    Q_ENUM(Status)

    // `settings` is read for the chosen screen and whether to open at start; it must outlive this.
    explicit AudienceController(AudienceWindow& window, const SettingsRecord& settings = Settings,
                                QObject* parent = nullptr);

    // Opens the window if the settings say it opens with the program.
    void start();
    // F3: shows or hides the window.
    void toggleShown();
    // F4: blacks it out, and back; nothing while the window is off.
    void toggleBlackout();
    // Takes up the chosen screen again, after the options were confirmed.
    void settingsChanged();

    Status status() const { return m_status; }
    // What the operator's indicator says.
    QString statusText() const { return m_text; }
    // The screen the window shows on; null while it does not show.
    QScreen* screen() const { return m_screen; }

signals:
    void statusChanged(AudienceController::Status status);

private:
    void follow();
    void place(QScreen* screen);
    void hideWindow();
    void screenRemoved(QScreen* screen);
    void updateStatus();
    QString describe() const;

    AudienceWindow& m_window;
    const SettingsRecord& m_settings;
    ScreenIdentity m_chosen;
    bool m_wanted = false;    // the operator wants it up
    bool m_onPurpose = false; // asked for with F3, so even the only screen will do
    bool m_blackout = false;
    QPointer<QScreen> m_screen;
    QMetaObject::Connection m_geometryWatch;
    Status m_status = Status::Off;
    QString m_text;
};
