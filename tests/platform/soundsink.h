#pragma once

// What reaches a PulseAudio sink, recorded from its monitor, and where in it each
// sound lies, on the same time line as the test's own steady clock.

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QtEndian>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <vector>

namespace soundsink {

constexpr int Rate = 44100;
// A sample this far from zero is sound, not the null sink's silence (about -30 dBFS).
constexpr int LoudSample = 1000;
// Quiet this long ends one sound; the horn has no gap as long inside it.
constexpr int GapMs = 50;
constexpr int ProcessMs = 5000;

inline qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

inline double framesToMs(qint64 frames) {
    return double(frames) * 1000.0 / Rate;
}

struct Sound {
    qint64 first = 0;
    qint64 last = 0;
    double lengthMs() const { return framesToMs(last - first + 1); }
};

// The sounds in 16-bit mono samples, in order.
inline std::vector<Sound> findSounds(const QByteArray& raw) {
    std::vector<Sound> sounds;
    const qint64 count = raw.size() / 2;
    const qint64 gap = qint64(GapMs) * Rate / 1000;
    for (qint64 i = 0; i < count; ++i) {
        if (std::abs(qFromLittleEndian<qint16>(raw.constData() + 2 * i)) < LoudSample) {
            continue;
        }
        if (sounds.empty() || i - sounds.back().last > gap) {
            sounds.push_back({i, i});
        } else {
            sounds.back().last = i;
        }
    }
    return sounds;
}

// Records a monitor source through parecord as 16-bit mono at Rate. Each block of
// samples is stamped as it arrives; the block that arrived soonest after it was
// captured fixes when the recording's first frame was captured. A block can only
// arrive late, so the estimate errs towards placing sounds later, never earlier.
class Recorder {
public:
    explicit Recorder(const QString& monitor, const QString& server = {}) {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput, &m_process, [this] { take(); });
        QStringList arguments{"--device=" + monitor, "--raw",
                              "--format=s16le",      "--rate=" + QString::number(Rate),
                              "--channels=1",        "--latency-msec=5"};
        if (!server.isEmpty()) {
            arguments << "--server=" + server;
        }
        m_process.start("parecord", arguments);
    }
    ~Recorder() {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(ProcessMs);
        }
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Started and delivering samples; bounded by ProcessMs.
    bool running() {
        return m_process.waitForStarted(ProcessMs) &&
               QTest::qWaitFor([this] { return frames() > Rate / 5; }, ProcessMs);
    }
    QString errors() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }

    qint64 frames() const { return m_samples.size() / 2; }
    const QByteArray& samples() const { return m_samples; }
    // The frame captured at steady-clock time `ns`.
    qint64 frameAt(qint64 ns) const { return (ns - m_firstFrameNs) * Rate / 1'000'000'000; }
    // Waits until the sink has been recorded up to `ns` (plus the recording's own delay).
    bool waitUntilRecorded(qint64 ns, int timeoutMs) {
        return QTest::qWaitFor([&] { return frames() > frameAt(ns); }, timeoutMs);
    }

private:
    void take() {
        const qint64 arrivedNs = nowNs();
        m_samples += m_process.readAllStandardOutput();
        const qint64 firstNs = arrivedNs - frames() * 1'000'000'000 / Rate;
        m_firstFrameNs = std::min(m_firstFrameNs, firstNs);
    }

    QProcess m_process;
    QByteArray m_samples;
    qint64 m_firstFrameNs = std::numeric_limits<qint64>::max();
};

// pactl's answer, or an empty string when no server answers.
inline QString pactl(const QStringList& arguments) {
    QProcess process;
    process.start("pactl", arguments);
    if (!process.waitForFinished(ProcessMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

} // namespace soundsink
