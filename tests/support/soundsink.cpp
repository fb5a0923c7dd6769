#include "support/soundsink.h"

#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QTest>
#include <QtEndian>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <pulse/pulseaudio.h>

namespace soundsink {

qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double framesToMs(qint64 frames) {
    return double(frames) * 1000.0 / Rate;
}

std::vector<Sound> findSounds(const QByteArray& raw) {
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

namespace {

constexpr int BytesPerFrame = 2;

qint64 clockNs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

} // namespace

// Everything the audio thread touches is guarded by `mutex` or used only with the loop locked.
struct Recorder::Engine {
    // Frame `frame` was captured at steady-clock time `ns`.
    struct Anchor {
        qint64 frame;
        qint64 ns;
    };

    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    QString monitor;
    bool timingAsked = false;

    mutable QMutex mutex;
    QByteArray samples;
    std::vector<Anchor> anchors;
    QString error;

    void fail(const char* what) {
        const QMutexLocker lock(&mutex);
        error = QString::fromUtf8(what) + ": " + pa_strerror(pa_context_errno(context));
    }

    static void onContextState(pa_context* context, void* user) {
        auto* engine = static_cast<Engine*>(user);
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) {
            engine->connectStream();
        } else if (state == PA_CONTEXT_FAILED) {
            engine->fail("cannot connect");
        }
    }

    void connectStream() {
        const pa_sample_spec format{PA_SAMPLE_S16LE, Rate, 1};
        stream = pa_stream_new(context, "Ravenmark test recorder", &format, nullptr);
        if (!stream) {
            fail("cannot make a stream");
            return;
        }
        pa_stream_set_read_callback(stream, onRead, this);
        pa_stream_set_state_callback(
            stream,
            [](pa_stream* stream, void* user) {
                if (pa_stream_get_state(stream) == PA_STREAM_FAILED) {
                    static_cast<Engine*>(user)->fail("cannot record");
                }
            },
            this);
        pa_buffer_attr attr{};
        attr.maxlength = uint32_t(-1);
        attr.fragsize = uint32_t(pa_usec_to_bytes(5 * PA_USEC_PER_MSEC, &format));
        attr.tlength = attr.prebuf = attr.minreq = uint32_t(-1);
        if (pa_stream_connect_record(stream, monitor.toUtf8().constData(), &attr, PA_STREAM_ADJUST_LATENCY) <
            0) {
            fail("cannot record");
        }
    }

    static void onRead(pa_stream* stream, size_t, void* user) {
        auto* engine = static_cast<Engine*>(user);
        const void* data = nullptr;
        size_t bytes = 0;
        while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0 &&
               bytes > 0) {
            const QMutexLocker lock(&engine->mutex);
            // A hole in the stream (no data) still takes its place on the time line.
            engine->samples += data ? QByteArray(static_cast<const char*>(data), qsizetype(bytes))
                                    : QByteArray(qsizetype(bytes), '\0');
            pa_stream_drop(stream);
        }
        if (!engine->timingAsked) {
            if (pa_operation* operation = pa_stream_update_timing_info(stream, onTiming, engine)) {
                engine->timingAsked = true;
                pa_operation_unref(operation);
            }
        }
    }

    // The server's answer: at `timestamp` it had written `write_index` bytes, the last
    // of them captured `source_usec` earlier. The timestamp is on the wall clock.
    static void onTiming(pa_stream* stream, int success, void* user) {
        auto* engine = static_cast<Engine*>(user);
        engine->timingAsked = false;
        const pa_timing_info* timing = success ? pa_stream_get_timing_info(stream) : nullptr;
        if (!timing || timing->write_index_corrupt) {
            return;
        }
        const qint64 steadyFromWall = nowNs() - clockNs(CLOCK_REALTIME);
        const qint64 capturedWallNs = qint64(timing->timestamp.tv_sec) * 1'000'000'000 +
                                      qint64(timing->timestamp.tv_usec) * 1000 -
                                      qint64(timing->source_usec) * 1000;
        const QMutexLocker lock(&engine->mutex);
        engine->anchors.push_back({timing->write_index / BytesPerFrame - 1, capturedWallNs + steadyFromWall});
    }

    qint64 frames() const {
        const QMutexLocker lock(&mutex);
        return samples.size() / BytesPerFrame;
    }

    qint64 capturedNs(qint64 frame) const {
        const QMutexLocker lock(&mutex);
        if (anchors.empty()) {
            return 0;
        }
        const auto covering = std::find_if(anchors.begin(), anchors.end(),
                                           [frame](const Anchor& anchor) { return anchor.frame >= frame; });
        const Anchor& anchor = covering == anchors.end() ? anchors.back() : *covering;
        return anchor.ns - (anchor.frame - frame) * 1'000'000'000 / Rate;
    }
};

Recorder::Recorder(const QString& monitor, const QString& server) : m_engine(std::make_unique<Engine>()) {
    Engine& engine = *m_engine;
    engine.monitor = monitor;
    engine.loop = pa_threaded_mainloop_new();
    if (!engine.loop || pa_threaded_mainloop_start(engine.loop) < 0) {
        engine.error = "cannot start the audio thread";
        return;
    }
    pa_threaded_mainloop_lock(engine.loop);
    engine.context = pa_context_new(pa_threaded_mainloop_get_api(engine.loop), "Ravenmark test recorder");
    pa_context_set_state_callback(engine.context, Engine::onContextState, &engine);
    const QByteArray address = server.toUtf8();
    if (pa_context_connect(engine.context, server.isEmpty() ? nullptr : address.constData(),
                           PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        engine.fail("cannot connect");
    }
    pa_threaded_mainloop_unlock(engine.loop);
}

Recorder::~Recorder() {
    Engine& engine = *m_engine;
    if (!engine.loop) {
        return;
    }
    pa_threaded_mainloop_lock(engine.loop);
    if (engine.stream) {
        pa_stream_set_read_callback(engine.stream, nullptr, nullptr);
        pa_stream_set_state_callback(engine.stream, nullptr, nullptr);
        pa_stream_disconnect(engine.stream);
        pa_stream_unref(engine.stream);
    }
    if (engine.context) {
        pa_context_set_state_callback(engine.context, nullptr, nullptr);
        pa_context_disconnect(engine.context);
        pa_context_unref(engine.context);
    }
    pa_threaded_mainloop_unlock(engine.loop);
    pa_threaded_mainloop_stop(engine.loop);
    pa_threaded_mainloop_free(engine.loop);
}

bool Recorder::running() {
    return QTest::qWaitFor(
        [this] {
            const QMutexLocker lock(&m_engine->mutex);
            return !m_engine->anchors.empty() && m_engine->samples.size() / BytesPerFrame > Rate / 5;
        },
        ProcessMs);
}

QString Recorder::errors() const {
    const QMutexLocker lock(&m_engine->mutex);
    return m_engine->error;
}

qint64 Recorder::frames() const {
    return m_engine->frames();
}

QByteArray Recorder::samples() const {
    const QMutexLocker lock(&m_engine->mutex);
    return m_engine->samples;
}

qint64 Recorder::capturedNs(qint64 frame) const {
    return m_engine->capturedNs(frame);
}

bool Recorder::waitUntilRecorded(qint64 ns, int timeoutMs) {
    return QTest::qWaitFor(
        [&] {
            const qint64 count = frames();
            return count > 0 && capturedNs(count - 1) >= ns;
        },
        timeoutMs);
}

QString pactl(const QStringList& arguments) {
    QProcess process;
    process.start("pactl", arguments);
    if (!process.waitForFinished(ProcessMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

} // namespace soundsink
