// The horn as the audience hears it: the real board and its real sound device, with
// what the sound server's null sink plays recorded from its monitor. Every sound must
// start right after its press or run-out, last as long as the file's, and be whole.

#include "components/clockengine.h"
#include "components/currency.h"
#include "components/monotonicclock.h"
#include "platform/pulsesounddevice.h"
#include "platform/soundclip.h"
#include "support/logcapture.h"
#include "support/soundboard.h"
#include "support/soundsink.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <QtEndian>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace soundsink;

class TestHornSound : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void pressesAndRunOutSoundOnTimeAndWhole();
    void everyEncodingSounds_data();
    void everyEncodingSounds();
    void soundsOnceTheServerAppears();
    void soundsAfterTheServerRestarts();
    void soundsWhenItsAudioThreadStartsOnlyAtPlay();

private:
    QString m_horn;
    // How long the horn is audible, by the same measure as the recording.
    double m_audibleMs = 0;
    QString m_monitor;
    QTemporaryDir m_dir;
};

namespace {

// From the press (or the refresh that finds the clock at zero) to the first sound at
// the sink, calibration error included.
constexpr double OnsetMs = 100;
constexpr double LengthToleranceMs = 40;
// The null sink hands samples to its monitor as it mixes them, up to its latency before
// their time to be heard; a sound may therefore seem to start this much before its press.
constexpr double EarliestMs = -25;
// Bounds on waiting for real audio; far longer than any sound here.
constexpr int SoundMs = 5000;

// Audible length of a decoded sound by the recording's measure.
double audibleMs(const SoundClip& clip) {
    qint64 first = -1;
    qint64 last = -1;
    for (qint64 i = 0; i < clip.frames(); ++i) {
        if (std::abs(clip.samples[size_t(i * clip.channels)]) * 32768.0f >= LoudSample) {
            first = first < 0 ? i : first;
            last = i;
        }
    }
    return first < 0 ? 0 : double(last - first + 1) * 1000.0 / clip.sampleRate;
}

// A PulseAudio server of the test's own with one null sink, on its own socket, which
// the test starts and stops.
class PrivateServer {
public:
    PrivateServer() { m_home = m_dir.filePath("home"); }
    ~PrivateServer() { stop(); }

    QString address() const { return "unix:" + m_dir.filePath("pulse.sock"); }

    bool start() {
        QDir().mkpath(m_home);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", m_home);
        environment.insert("XDG_RUNTIME_DIR", m_home);
        environment.remove("DISPLAY");
        environment.remove("DBUS_SESSION_BUS_ADDRESS");
        environment.remove("PULSE_SERVER");
        m_process.setProcessEnvironment(environment);
        m_process.start("pulseaudio",
                        {"-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1", "--disallow-exit",
                         "--use-pid-file=false", "--disable-shm=true", "--log-target=stderr",
                         "--load=module-null-sink sink_name=private_null",
                         "--load=module-native-protocol-unix socket=" + m_dir.filePath("pulse.sock") +
                             " auth-anonymous=1"});
        return m_process.waitForStarted(ProcessMs) &&
               QTest::qWaitFor(
                   [this] {
                       return !pactl({"--server=" + address(), "info"}).isEmpty();
                   },
                   ProcessMs * 2);
    }
    void stop() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.terminate();
            if (!m_process.waitForFinished(ProcessMs)) {
                m_process.kill();
                m_process.waitForFinished(ProcessMs);
            }
        }
    }

private:
    QTemporaryDir m_dir;
    QString m_home;
    QProcess m_process;
};

// Points the sound device at another server for the life of this object; the device
// reads where the server is each time it connects.
class ServerAddress {
public:
    explicit ServerAddress(const QString& address) : m_old(qgetenv("PULSE_SERVER")) {
        qputenv("PULSE_SERVER", address.toLocal8Bit());
    }
    ~ServerAddress() { qputenv("PULSE_SERVER", m_old); }

private:
    QByteArray m_old;
};

// For its lifetime the process has exactly one file descriptor free: enough to read a
// sound file, one short of the pipe an audio thread's main loop is made with.
class OneFreeDescriptor {
public:
    OneFreeDescriptor() {
        if (getrlimit(RLIMIT_NOFILE, &m_old) != 0) {
            return;
        }
        int highest = 0;
        for (int fd = 0; fd < 65536 && rlim_t(fd) < m_old.rlim_cur; ++fd) {
            if (fcntl(fd, F_GETFD) != -1) {
                highest = fd;
            }
        }
        // A low limit, so that filling every free slot takes a few opens, not a million.
        rlimit lowered = m_old;
        lowered.rlim_cur = rlim_t(highest) + 2;
        if (setrlimit(RLIMIT_NOFILE, &lowered) != 0) {
            return;
        }
        m_lowered = true;
        for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) {
            m_held.push_back(fd);
        }
        if (errno == EMFILE && !m_held.empty()) {
            ::close(m_held.back());
            m_held.pop_back();
            m_holds = true;
        }
    }
    ~OneFreeDescriptor() {
        for (int fd : m_held) {
            ::close(fd);
        }
        if (m_lowered) {
            setrlimit(RLIMIT_NOFILE, &m_old);
        }
    }
    OneFreeDescriptor(const OneFreeDescriptor&) = delete;
    OneFreeDescriptor& operator=(const OneFreeDescriptor&) = delete;

    bool holds() const { return m_holds; }

private:
    rlimit m_old{};
    std::vector<int> m_held;
    bool m_lowered = false;
    bool m_holds = false;
};

QString describe(const std::vector<Sound>& sounds) {
    QStringList parts;
    for (const Sound& s : sounds) {
        parts << QString("%1 ms for %2 ms").arg(framesToMs(s.first), 0, 'f', 1).arg(s.lengthMs(), 0, 'f', 1);
    }
    return "sounds at " + parts.join(", ");
}

// Presses the buzzer once with the server's null sink recorded: one sound, right after
// the press and as long as the horn.
// One sound in the recording: within the onset bound after `fromNs` and as long as the horn.
void expectOneWholeHorn(Recorder& recorder, qint64 fromNs, double audibleMs) {
    QVERIFY(recorder.waitUntilRecorded(nowNs() + 100'000'000, SoundMs));
    const std::vector<Sound> sounds = findSounds(recorder.samples());
    qInfo("%s", qPrintable(describe(sounds)));
    QCOMPARE(sounds.size(), size_t(1));
    const double onsetMs = recorder.msAfter(sounds[0].first, fromNs);
    QVERIFY2(onsetMs <= OnsetMs, qPrintable(QString("started %1 ms late").arg(onsetMs)));
    QVERIFY(std::abs(sounds[0].lengthMs() - audibleMs) <= LengthToleranceMs);
}

void pressOnceAndHearOneHorn(BoardWithSound& board, const QString& server, double audibleMs) {
    Recorder recorder("private_null.monitor", server);
    QVERIFY2(recorder.running(), qPrintable("recorder: " + recorder.errors()));
    const qint64 pressNs = nowNs();
    board.press();
    QVERIFY(board.waitForEnd());
    expectOneWholeHorn(recorder, pressNs, audibleMs);
}

} // namespace

void TestHornSound::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_horn = buzzerWavPath();
    const std::optional<SoundClip> clip = soundclip::decodeFile(m_horn);
    QVERIFY2(clip.has_value(), qPrintable("buzzer sound not found at " + m_horn));
    m_audibleMs = audibleMs(*clip);
    QVERIFY(m_audibleMs > 500);

    const QString sink = pactl({"get-default-sink"});
    if (sink.isEmpty()) {
        const char* const why = "No PulseAudio server reachable (is PULSE_SERVER set?). The sound tests need "
                                "a server with a null sink, as the test script starts.";
        if (qEnvironmentVariableIntValue("RAVENMARK_REQUIRE_SOUND") != 0) {
            QFAIL(why);
        }
        QSKIP(why);
    }
    m_monitor = qEnvironmentVariable("RAVENMARK_PULSE_MONITOR", sink + ".monitor");
}

void TestHornSound::pressesAndRunOutSoundOnTimeAndWhole() {
    // GIVEN the board, its sink being recorded
    BoardWithSound board(m_horn);
    QVERIFY(board.device().isOpen());
    Recorder recorder(m_monitor);
    QVERIFY2(recorder.running(), qPrintable("recorder: " + recorder.errors()));

    // WHEN the buzzer key is pressed five times, each press some time after the last
    // sound ended (the first at once), and the third pressed again while it sounds
    const int gapsMs[] = {0, 150, 700, 40, 1200};
    std::vector<qint64> startsNs;
    for (int i = 0; i < 5; ++i) {
        startsNs.push_back(nowNs());
        board.press();
        QVERIFY(board.sounding());
        if (i == 2) {
            QVERIFY(
                recorder.waitUntilRecorded(startsNs.back() + qint64(m_audibleMs / 2) * 1'000'000, SoundMs));
            board.press();
        }
        QVERIFY2(board.waitForEnd(), qPrintable(QString("play %1 never ended").arg(i + 1)));
        QVERIFY(recorder.waitUntilRecorded(nowNs() + qint64(gapsMs[i]) * 1'000'000, SoundMs));
    }
    // AND the game clock runs out from 0.3 s
    board.board().teGame().setSeconds(*Currency::fromText(u"0.3"));
    board.board().teGame().setRunning(true);
    board.clock.advanceMs(300);
    startsNs.push_back(nowNs());
    board.board().RefreshTime();
    QVERIFY(board.sounding());
    QVERIFY(board.waitForEnd());
    QVERIFY(recorder.waitUntilRecorded(nowNs() + 200'000'000, SoundMs));

    // THEN six whole horns sounded, each right after its press, the extra press nothing
    const std::vector<Sound> sounds = findSounds(recorder.samples());
    qInfo("%s", qPrintable(describe(sounds)));
    QCOMPARE(board.plays(), 6);
    QCOMPARE(sounds.size(), size_t(6));
    for (size_t i = 0; i < sounds.size(); ++i) {
        const double onsetMs = recorder.msAfter(sounds[i].first, startsNs[i]);
        qInfo("horn %zu: %.1f ms after its press, %.1f ms long (file %.1f ms)", i + 1, onsetMs,
              sounds[i].lengthMs(), m_audibleMs);
        QVERIFY2(onsetMs <= OnsetMs,
                 qPrintable(QString("horn %1 started %2 ms late").arg(i + 1).arg(onsetMs)));
        QVERIFY2(onsetMs >= EarliestMs, qPrintable(QString("horn %1 before its press").arg(i + 1)));
        QVERIFY2(std::abs(sounds[i].lengthMs() - m_audibleMs) <= LengthToleranceMs,
                 qPrintable(QString("horn %1 lasted %2 ms").arg(i + 1).arg(sounds[i].lengthMs())));
    }
}

void TestHornSound::everyEncodingSounds_data() {
    QTest::addColumn<QStringList>("soxFormat");
    // How the made file is then altered: "", "huge7FFFF000", "hugeFFFFFFFF", "oddChunk"
    QTest::addColumn<QString>("alteration");

    const auto row = [](const char* name, const QStringList& format, const QString& alteration = {}) {
        QTest::newRow(name) << format << alteration;
    };
    row("8-bit unsigned mono 8 kHz", {"-r", "8000", "-c", "1", "-e", "unsigned", "-b", "8"});
    row("16-bit mono 44.1 kHz", {"-r", "44100", "-c", "1", "-b", "16"});
    row("16-bit stereo 48 kHz", {"-r", "48000", "-c", "2", "-b", "16"});
    row("24-bit stereo 96 kHz", {"-r", "96000", "-c", "2", "-b", "24"});
    row("32-bit integer mono 22.05 kHz", {"-r", "22050", "-c", "1", "-e", "signed", "-b", "32"});
    row("32-bit float stereo 44.1 kHz", {"-r", "44100", "-c", "2", "-e", "floating-point", "-b", "32"});
    row("mu-law mono 8 kHz", {"-r", "8000", "-c", "1", "-e", "u-law", "-b", "8"});
    row("A-law mono 8 kHz", {"-r", "8000", "-c", "1", "-e", "a-law", "-b", "8"});
    row("IMA ADPCM mono 22.05 kHz", {"-r", "22050", "-c", "1", "-e", "ima-adpcm", "-b", "4"});
    row("IMA ADPCM stereo 44.1 kHz", {"-r", "44100", "-c", "2", "-e", "ima-adpcm", "-b", "4"});
    row("data size claims 0x7FFFF000 bytes", {"-r", "44100", "-c", "1", "-b", "16"}, "huge7FFFF000");
    row("data size claims 0xFFFFFFFF bytes", {"-r", "44100", "-c", "1", "-b", "16"}, "hugeFFFFFFFF");
    row("odd-size chunk with its pad byte", {"-r", "44100", "-c", "1", "-b", "16"}, "oddChunk");
}

void TestHornSound::everyEncodingSounds() {
    QFETCH(QStringList, soxFormat);
    QFETCH(QString, alteration);
    constexpr double ToneMs = 400;

    // GIVEN a 0.4 s tone made in that format
    const QString path = m_dir.filePath(QString(QTest::currentDataTag()).replace(' ', '_') + ".wav");
    QProcess sox;
    sox.start("sox",
              QStringList{"-n"} + soxFormat + QStringList{path, "synth", "0.4", "sine", "440", "vol", "0.7"});
    if (!sox.waitForStarted(ProcessMs)) {
        QSKIP("sox is not installed");
    }
    QVERIFY(sox.waitForFinished(ProcessMs) && sox.exitCode() == 0);
    if (!alteration.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const qsizetype data = bytes.indexOf("data");
        QVERIFY(data > 0);
        if (alteration == "oddChunk") {
            bytes.insert(data, QByteArray("junk\x03\x00\x00\x00xyz\x00", 12));
            qToLittleEndian(quint32(bytes.size() - 8), bytes.data() + 4);
        } else {
            qToLittleEndian(alteration == "huge7FFFF000" ? quint32(0x7FFFF000) : quint32(0xFFFFFFFF),
                            bytes.data() + data + 4);
        }
        file.seek(0);
        file.write(bytes);
    }
    PulseSoundDevice device;
    QVERIFY(device.open(path));
    QSignalSpy finished(&device, &SoundDevice::finished);
    Recorder recorder(m_monitor);
    QVERIFY2(recorder.running(), qPrintable("recorder: " + recorder.errors()));

    // WHEN it is played
    const qint64 playNs = nowNs();
    device.play();
    QVERIFY(finished.wait(SoundMs));
    const qint64 finishedNs = nowNs();
    QVERIFY(recorder.waitUntilRecorded(finishedNs + 100'000'000, SoundMs));

    // THEN it sounds at once, whole, and was reported finished only after its end
    const std::vector<Sound> sounds = findSounds(recorder.samples());
    QCOMPARE(sounds.size(), size_t(1));
    const double onsetMs = recorder.msAfter(sounds[0].first, playNs);
    qInfo("%.1f ms after play(), %.1f ms long, finished %.1f ms after its last sample", onsetMs,
          sounds[0].lengthMs(), -recorder.msAfter(sounds[0].last, finishedNs));
    QVERIFY2(onsetMs <= OnsetMs, qPrintable(QString::number(onsetMs)));
    QVERIFY2(std::abs(sounds[0].lengthMs() - ToneMs) <= LengthToleranceMs,
             qPrintable(QString::number(sounds[0].lengthMs())));
    QVERIFY2(recorder.capturedNs(sounds[0].last) <= finishedNs, "finished before the last sample was heard");
}

void TestHornSound::soundsOnceTheServerAppears() {
    // GIVEN the board started while no server answers at its address
    PrivateServer server;
    const ServerAddress address(server.address());
    BoardWithSound board(m_horn);
    board.press();
    QVERIFY2(board.waitForEnd(), "a play with no server must end");

    // WHEN the server starts and the buzzer is pressed THEN the horn sounds, whole
    QVERIFY(server.start());
    pressOnceAndHearOneHorn(board, server.address(), m_audibleMs);
}

void TestHornSound::soundsAfterTheServerRestarts() {
    // GIVEN the board on a server that has sounded the horn once
    PrivateServer server;
    const ServerAddress address(server.address());
    QVERIFY(server.start());
    BoardWithSound board(m_horn);
    {
        Recorder recorder("private_null.monitor", server.address());
        QVERIFY(recorder.running());
        board.press();
        QVERIFY(board.waitForEnd());
        QVERIFY(recorder.waitUntilRecorded(nowNs() + 100'000'000, SoundMs));
        QCOMPARE(findSounds(recorder.samples()).size(), size_t(1));
    }

    // WHEN the server stops and starts again, and the buzzer is pressed THEN the horn
    // sounds, whole, on the new server
    server.stop();
    QVERIFY(server.start());
    pressOnceAndHearOneHorn(board, server.address(), m_audibleMs);
}

void TestHornSound::soundsWhenItsAudioThreadStartsOnlyAtPlay() {
    // GIVEN the horn opened while its audio thread could not start (no descriptors left)
    // (UBSan checks a call's dynamic type the first time it meets it, with a pipe of its own: let
    // it meet the device's calls while descriptors are plenty.)
    PulseSoundDevice().open(m_horn);
    PulseSoundDevice device;
    {
        const LogCapture log("ravenmark.sound");
        const OneFreeDescriptor scarce;
        QVERIFY(scarce.holds());
        QVERIFY(device.open(m_horn));
        QVERIFY2(log.lines().join('\n').contains("cannot start the audio thread"),
                 "the audio thread started after all; the case is not reached");
    }
    QVERIFY(device.isOpen());

    // WHEN descriptors are free again and it is played
    Recorder recorder(m_monitor);
    QVERIFY2(recorder.running(), qPrintable("recorder: " + recorder.errors()));
    QSignalSpy finished(&device, &SoundDevice::finished);
    const qint64 playNs = nowNs();
    device.play();
    QVERIFY(finished.wait(SoundMs));

    // THEN the thread started at the play sounds the horn, whole
    expectOneWholeHorn(recorder, playNs, m_audibleMs);
}

int main(int argc, char** argv) {
    useOffscreenUnlessSet();
    QApplication app(argc, argv);
    TestHornSound test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_horn_sound.moc"
