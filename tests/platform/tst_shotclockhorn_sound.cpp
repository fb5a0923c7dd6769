// The two horns as the audience hears them: the shot clock's own horn and the buzzer, both
// sounding at once when both clocks run out together. Each is found in its own band of what
// the null sink plays, and must start on time and last as long as its file.

#include "platform/pulsesounddevice.h"
#include "platform/soundclip.h"
#include "support/soundboard.h"
#include "support/soundsink.h"
#include "support/toneband.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

using namespace soundsink;

class TestShotClockHornSound : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void hornsAreToldApart();
    void bothHornsSoundOnTimeAndWhole();

private:
    struct Horn {
        QString path;
        double hz = 0;
        double peak = 0;     // its level in its own band
        double lengthMs = 0; // how long it is loud in that band, by the recording's measure
        QByteArray pcm;
    };
    bool describe(Horn& horn, const QString& path, double hz);

    Horn m_buzzer;
    Horn m_shotClock;
    QString m_monitor;
};

namespace {

// The buzzer's fundamental, B flat 3, and the upper tone of the shot-clock horn.
constexpr double BuzzerHz = 233.08;
constexpr double ShotClockHz = 2440.0;
constexpr double OnsetMs = 100;
constexpr double EarliestMs = -25;
constexpr double LengthToleranceMs = 40;
constexpr int SoundMs = 5000;

QString shotClockWavPath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../src/shotclock.wav"));
}

} // namespace

bool TestShotClockHornSound::describe(Horn& horn, const QString& path, double hz) {
    const std::optional<SoundClip> clip = soundclip::decodeFile(path);
    if (!clip || clip->sampleRate != Rate) {
        return false;
    }
    horn.path = path;
    horn.hz = hz;
    horn.pcm = toneband::pcm16(clip->samples, clip->channels);
    horn.peak = toneband::peak(horn.pcm, hz, Rate);
    const std::vector<toneband::Span> own = toneband::spans(horn.pcm, hz, horn.peak / 2, Rate);
    horn.lengthMs = own.size() == 1 ? own[0].lengthMs(Rate) : 0;
    return horn.lengthMs > 500;
}

void TestShotClockHornSound::initTestCase() {
    QVERIFY2(describe(m_buzzer, buzzerWavPath(), BuzzerHz), "buzzer.wav missing or unusable");
    QVERIFY2(describe(m_shotClock, shotClockWavPath(), ShotClockHz), "shotclock.wav missing or unusable");
    const QString sink = pactl({"get-default-sink"});
    if (sink.isEmpty()) {
        const char* const why = "No PulseAudio server reachable; the sound tests need a null sink.";
        if (qEnvironmentVariableIntValue("RAVENMARK_REQUIRE_SOUND") != 0) {
            QFAIL(why);
        }
        QSKIP(why);
    }
    m_monitor = qEnvironmentVariable("RAVENMARK_PULSE_MONITOR", sink + ".monitor");
}

void TestShotClockHornSound::hornsAreToldApart() {
    // Each horn is all but silent in the other's band: a tenth of the other's level at most.
    const double buzzerInHornBand = toneband::peak(m_buzzer.pcm, ShotClockHz, Rate);
    const double hornInBuzzerBand = toneband::peak(m_shotClock.pcm, BuzzerHz, Rate);
    qInfo("buzzer %.3f at its own band, %.3f at the horn's; horn %.3f at its own, %.3f at the buzzer's",
          m_buzzer.peak, buzzerInHornBand, m_shotClock.peak, hornInBuzzerBand);
    QVERIFY(buzzerInHornBand < m_shotClock.peak / 10);
    QVERIFY(hornInBuzzerBand < m_buzzer.peak / 10);
}

void TestShotClockHornSound::bothHornsSoundOnTimeAndWhole() {
    PulseSoundDevice buzzer;
    PulseSoundDevice shotClock;
    QVERIFY(buzzer.open(m_buzzer.path));
    QVERIFY(shotClock.open(m_shotClock.path));
    Recorder recorder(m_monitor);
    QVERIFY2(recorder.running(), qPrintable("parecord: " + recorder.errors()));
    QSignalSpy buzzerDone(&buzzer, &SoundDevice::finished);
    QSignalSpy shotClockDone(&shotClock, &SoundDevice::finished);

    const qint64 runOutNs = nowNs();
    buzzer.play();
    shotClock.play();
    QVERIFY(QTest::qWaitFor([&] { return buzzerDone.size() == 1 && shotClockDone.size() == 1; }, SoundMs));
    QVERIFY(recorder.waitUntilRecorded(nowNs() + 200'000'000, SoundMs));

    for (const Horn* horn : {&m_buzzer, &m_shotClock}) {
        const std::vector<toneband::Span> found =
            toneband::spans(recorder.samples(), horn->hz, horn->peak / 2, Rate);
        QCOMPARE(found.size(), size_t(1));
        const double onsetMs = recorder.msAfter(found[0].first, runOutNs);
        qInfo("%s: %.1f ms after the run-out, %.1f ms long (file %.1f ms)", qPrintable(horn->path), onsetMs,
              found[0].lengthMs(Rate), horn->lengthMs);
        QVERIFY2(onsetMs <= OnsetMs && onsetMs >= EarliestMs, qPrintable(QString::number(onsetMs)));
        QVERIFY2(std::abs(found[0].lengthMs(Rate) - horn->lengthMs) <= LengthToleranceMs,
                 qPrintable(QString::number(found[0].lengthMs(Rate))));
    }
}

int main(int argc, char** argv) {
    useOffscreenUnlessSet();
    QApplication app(argc, argv);
    TestShotClockHornSound test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_shotclockhorn_sound.moc"
