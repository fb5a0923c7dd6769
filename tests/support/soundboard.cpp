#include "support/soundboard.h"

#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

// Far longer than any sound the tests play.
constexpr int SoundMs = 5000;

} // namespace

QString buzzerWavPath() {
    const QString fromEnvironment = qEnvironmentVariable("RAVENMARK_BUZZER_WAV");
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../src/buzzer.wav"));
}

void useOffscreenUnlessSet() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

BoardWithSound::BoardWithSound(const QString& sound) {
    LoadSettings(MemorySettingsStore(), Settings, QCoreApplication::applicationDirPath());
    Settings.BuzzerFile = sound;
    BoardEnvironment environment;
    environment.clock = &clock;
    m_board = std::make_unique<frmScoreBoard>(nullptr, environment);
    m_board->tmrClock1().stop();
    QObject::connect(&device(), &SoundDevice::playingChanged, &device(),
                     [this](bool playing) { m_plays += playing ? 1 : 0; });
    m_board->show();
    m_board->activateWindow();
    if (!QTest::qWaitForWindowActive(m_board.get())) {
        qWarning("board window did not become active");
    }
}

BoardWithSound::~BoardWithSound() = default;

void BoardWithSound::press() const {
    QTest::keyClick(m_board->windowHandle(), Qt::Key_B);
}

bool BoardWithSound::sounding() const {
    return m_board->BuzzerPlaying();
}

bool BoardWithSound::waitForEnd() const {
    return QTest::qWaitFor([this] { return !sounding(); }, SoundMs);
}

SoundDevice& BoardWithSound::device() const {
    return m_board->mmcBuzzer();
}
