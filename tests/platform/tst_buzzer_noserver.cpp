// The buzzer device without any audio server: every play must still report that it
// finished, or the board would never sound the horn again.

#if defined(__unix__)
#include <sys/stat.h>
#endif
#include "platform/pulsesounddevice.h"
#include "platform/soundclip.h"
#include "support/soundboard.h"
#include "support/testfiles.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestBuzzerNoServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void hornWithoutServerFinishesAndPlaysAgain();
    void brokenSoundFinishesPromptly_data();
    void brokenSoundFinishesPromptly();
    void playWithoutOpenFinishesPromptly();
    void interruptedPlayFinishesOnce_data();
    void interruptedPlayFinishesOnce();
    void playWhilePlayingIsIgnored();
    void boardHandlerCommandsDuringFinishAreSafe();
    void playFromFinishedHandlerPlaysAgain();
    void destroyWhilePlaying();

private:
    void openHorn(PulseSoundDevice& device) const;

    QString m_horn;
    qint64 m_hornMs = 0;
    QTemporaryDir m_dir;
};

namespace {

// A sound that cannot play must be reported finished well before any real sound ends
// (the horn lasts 1.8 s); generous, since a sanitizer build on a loaded machine is slow.
constexpr int PromptMs = 1000;
// The device allows itself a margin after the file's length; the board allows this.
constexpr int LateMs = 500;

// A well-formed header for a 1 s sound in an encoding nobody decodes.
QByteArray undecodableWave() {
    QByteArray b("RIFF\x00\x00\x00\x00WAVEfmt \x10\x00\x00\x00", 20);
    const char format[] = {'\x55', 0, 1, 0, '\x44', '\xAC', 0, 0, '\x10', '\x27', 0, 0, 1, 0, 0, 0};
    b.append(format, sizeof format);
    b.append("data\x10\x27\x00\x00", 8);
    b.append(QByteArray(10000, '\x5A'));
    return b;
}

} // namespace

void TestBuzzerNoServer::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_horn = buzzerWavPath();
    QVERIFY2(QFile::exists(m_horn), qPrintable("buzzer sound not found at " + m_horn));
    const std::optional<SoundClip> clip = soundclip::decodeFile(m_horn);
    QVERIFY(clip.has_value());
    m_hornMs = clip->durationMs();
    QVERIFY(m_hornMs > 0);
}

void TestBuzzerNoServer::openHorn(PulseSoundDevice& device) const {
    QVERIFY(device.open(m_horn));
}

void TestBuzzerNoServer::hornWithoutServerFinishesAndPlaysAgain() {
    // GIVEN the horn opened with no audio server to play it
    PulseSoundDevice device;
    openHorn(device);
    QVERIFY(device.isOpen());
    QSignalSpy finished(&device, &SoundDevice::finished);

    for (int round = 1; round <= 2; ++round) {
        // WHEN it is played
        device.play();
        QVERIFY(device.isPlaying());

        // THEN it reports the end at once: nothing can sound, so nothing is waited for
        QVERIFY2(finished.wait(PromptMs), qPrintable(QString("round %1").arg(round)));
        QCOMPARE(finished.count(), round);
        QVERIFY(!device.isPlaying());
    }
}

void TestBuzzerNoServer::brokenSoundFinishesPromptly_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("opens");

    QByteArray horn;
    QFile hornFile(buzzerWavPath());
    if (hornFile.open(QIODevice::ReadOnly)) {
        horn = hornFile.readAll();
    }
    QByteArray garbage(8192, '\0');
    for (int i = 0; i < garbage.size(); ++i) {
        garbage[i] = static_cast<char>((i * 7919 + 13) % 251);
    }

    QTest::newRow("empty file name") << QString() << false;
    QTest::newRow("missing file") << m_dir.filePath("missing.wav") << false;
    QTest::newRow("directory") << m_dir.path() << false;
    QTest::newRow("empty file") << testfiles::write(m_dir.filePath("empty.wav"), {}) << false;
    QTest::newRow("garbage") << testfiles::write(m_dir.filePath("garbage.wav"), garbage) << false;
    QTest::newRow("text named .wav") << testfiles::write(m_dir.filePath("text.wav"), "not a sound\n")
                                     << false;
    QTest::newRow("header cut short") << testfiles::write(m_dir.filePath("cut.wav"), horn.left(30)) << false;
    QTest::newRow("undecodable encoding")
        << testfiles::write(m_dir.filePath("mp3in.wav"), undecodableWave()) << false;
#if defined(__unix__)
    // Reading a pipe with no writer would block the board for good.
    const QString pipe = m_dir.filePath("pipe.wav");
    if (!QFile::exists(pipe) && ::mkfifo(QFile::encodeName(pipe).constData(), 0600) != 0) {
        qWarning("could not make a named pipe");
    }
    QTest::newRow("named pipe") << pipe << false;
#endif
}

void TestBuzzerNoServer::brokenSoundFinishesPromptly() {
    QFETCH(QString, fileName);
    QFETCH(bool, opens);

    // One line in the log names the file that cannot be played; nothing else is said.
    if (!opens && !fileName.isEmpty()) {
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^cannot play " +
                                                              QRegularExpression::escape(fileName) + ": .+"));
    }
    QTest::failOnWarning(QRegularExpression(".*"));
    PulseSoundDevice device;
    QCOMPARE(device.open(fileName), opens);
    QCOMPARE(device.isOpen(), opens);
    QCOMPARE(device.fileName(), fileName);
    QSignalSpy finished(&device, &SoundDevice::finished);
    QSignalSpy playing(&device, &PulseSoundDevice::playingChanged);

    device.play();

    // Never from inside play(): the board's handler would run before the board
    // had finished issuing it.
    QCOMPARE(finished.count(), 0);
    QVERIFY(device.isPlaying());
    QVERIFY(finished.wait(PromptMs));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(playing.count(), 2);
    QCOMPARE(playing.at(0).at(0).toBool(), true);
    QCOMPARE(playing.at(1).at(0).toBool(), false);
    QVERIFY(!device.isPlaying());
}

void TestBuzzerNoServer::playWithoutOpenFinishesPromptly() {
    PulseSoundDevice device;
    QSignalSpy finished(&device, &SoundDevice::finished);

    device.play();

    QCOMPARE(finished.count(), 0);
    QVERIFY(finished.wait(PromptMs));
    QVERIFY(!device.isOpen());
}

void TestBuzzerNoServer::interruptedPlayFinishesOnce_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("openAfterwards");

    QTest::newRow("stop") << "stop" << true;
    QTest::newRow("close") << "close" << false;
    QTest::newRow("open again") << "open" << true;
}

void TestBuzzerNoServer::interruptedPlayFinishesOnce() {
    QFETCH(QString, action);
    QFETCH(bool, openAfterwards);

    // GIVEN the horn playing
    PulseSoundDevice device;
    openHorn(device);
    QSignalSpy finished(&device, &SoundDevice::finished);
    device.play();

    // WHEN it is cut short
    if (action == "stop") {
        device.stop();
    } else if (action == "close") {
        device.close();
    } else {
        QVERIFY(device.open(m_horn));
    }

    // THEN the play is reported finished at once, from the event loop, and only once
    QCOMPARE(finished.count(), 0);
    QVERIFY(finished.wait(PromptMs));
    QCOMPARE(device.isOpen(), openAfterwards);

    // AND a new play afterwards is a play of its own, reported once more
    device.stop();
    device.play();
    QVERIFY(finished.wait(int(m_hornMs) + LateMs));
    QCOMPARE(finished.count(), 2);
}

void TestBuzzerNoServer::playWhilePlayingIsIgnored() {
    PulseSoundDevice device;
    openHorn(device);
    QSignalSpy finished(&device, &SoundDevice::finished);
    QSignalSpy playing(&device, &PulseSoundDevice::playingChanged);

    device.play();
    device.play();
    device.play();

    // One play: one start, one end, and the end no later than the first play's
    QVERIFY(finished.wait(int(m_hornMs) + LateMs));
    device.play();
    QVERIFY(finished.wait(int(m_hornMs) + LateMs));
    QCOMPARE(finished.count(), 2);
    QCOMPARE(playing.count(), 4);
}

void TestBuzzerNoServer::boardHandlerCommandsDuringFinishAreSafe() {
    // GIVEN the board with the horn and its end-of-play handler
    BoardWithSound board(m_horn);
    SoundDevice& device = board.device();
    QVERIFY(device.isOpen());
    QSignalSpy finished(&device, &SoundDevice::finished);

    // WHEN the buzzer is pressed twice, then again after the sound
    board.board().Buzzer();
    board.board().Buzzer();
    QVERIFY(finished.wait(int(m_hornMs) + LateMs));
    QVERIFY(!board.sounding());
    board.board().Buzzer();
    QVERIFY(finished.wait(int(m_hornMs) + LateMs));

    // THEN the second press was ignored and the handler's Stop made no extra report
    QCOMPARE(board.plays(), 2);
    QCOMPARE(finished.count(), 2);
    QVERIFY(!board.sounding());
}

void TestBuzzerNoServer::playFromFinishedHandlerPlaysAgain() {
    PulseSoundDevice device;
    openHorn(device);
    QSignalSpy finished(&device, &SoundDevice::finished);
    bool replayed = false;
    connect(&device, &SoundDevice::finished, &device, [&] {
        if (!replayed) {
            replayed = true;
            device.play();
        }
    });

    device.stop();
    device.play();
    device.stop();

    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, int(m_hornMs) + LateMs + PromptMs);
    QVERIFY(!device.isPlaying());
}

void TestBuzzerNoServer::destroyWhilePlaying() {
    auto device = std::make_unique<PulseSoundDevice>();
    openHorn(*device);
    device->play();
    QVERIFY(device->isPlaying());

    device.reset();

    // Nothing is left behind that would report on the destroyed device.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

// The audio client reads where the server is before Qt's audio starts up, so the
// nonexistent socket is set before the application object exists.
int main(int argc, char** argv) {
    qputenv("PULSE_SERVER", "unix:/nonexistent/ravenmark-no-audio-server");
    useOffscreenUnlessSet();
    QApplication app(argc, argv);
    TestBuzzerNoServer test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_buzzer_noserver.moc"
