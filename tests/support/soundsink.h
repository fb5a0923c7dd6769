#pragma once

// What reaches a PulseAudio sink, recorded from its monitor, and when each recorded
// frame was captured, on the same time line as the test's own steady clock.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace soundsink {

constexpr int Rate = 44100;
// A sample this far from zero is sound, not the null sink's silence (about -30 dBFS).
constexpr int LoudSample = 1000;
// Quiet this long ends one sound; the horn has no gap as long inside it.
constexpr int GapMs = 50;
constexpr int ProcessMs = 5000;

qint64 nowNs();
double framesToMs(qint64 frames);

struct Sound {
    qint64 first = 0;
    qint64 last = 0;
    double lengthMs() const { return framesToMs(last - first + 1); }
};

// The sounds in 16-bit mono samples, in order.
std::vector<Sound> findSounds(const QByteArray& raw);

// Records a monitor source as 16-bit mono at Rate through libpulse. Counting frames
// cannot place a sound in time: PipeWire drops tens of ms of monitor frames when its
// graph runs late, and the sink's clock need not match the steady clock. So after each
// block the server is asked how far it has captured, and every frame is placed by the
// first such answer that covers it, a few ms away at most.
class Recorder {
public:
    // `server` empty: the one PULSE_SERVER names.
    explicit Recorder(const QString& monitor, const QString& server = {});
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    // Connected and delivering timed samples; bounded by ProcessMs.
    bool running();
    QString errors() const;

    qint64 frames() const;
    QByteArray samples() const;
    // Steady-clock time at which the sink played `frame` into its monitor.
    qint64 capturedNs(qint64 frame) const;
    // Milliseconds from steady-clock time `ns` to `frame`.
    double msAfter(qint64 frame, qint64 ns) const { return double(capturedNs(frame) - ns) / 1e6; }
    // Waits until the sink has been recorded up to `ns`.
    bool waitUntilRecorded(qint64 ns, int timeoutMs);

    struct Engine;

private:
    std::unique_ptr<Engine> m_engine;
};

// pactl's answer, or an empty string when no server answers.
QString pactl(const QStringList& arguments);

} // namespace soundsink
