#include "platform/pulsesounddevice.h"

#include "platform/filefailures.h"

#include <QMetaObject>
#include <algorithm>
#include <cmath>
#include <pulse/pulseaudio.h>

Q_LOGGING_CATEGORY(lcSound, "ravenmark.sound")

// Everything the audio thread touches. Each member is read and written only with the
// main loop locked; the callbacks below run on the audio thread with it locked.
struct PulseSoundDevice::Engine {
    explicit Engine(PulseSoundDevice* device) : owner(device) {}
    ~Engine();

    bool start();
    // Starts connecting unless connected or connecting already.
    void connect();
    bool connected() const { return context && pa_context_get_state(context) == PA_CONTEXT_READY; }
    // A stream for the next play, made and filled ahead so that a play only has to
    // uncork it.
    void prepare();
    // Sounds the prepared stream, or a new one.
    void begin();
    void startStream(bool corked);
    void uncork();
    void drainIfWritten();
    void dropStream();
    void dropContext();
    // Tells the device, through its event loop, that play `id` ended.
    void post(quint64 id, int delayMs) const;
    void serverLost(const char* what);

    static void onContextState(pa_context* context, void* user);
    static void onStreamState(pa_stream* stream, void* user);
    static void onWrite(pa_stream* stream, size_t bytes, void* user);
    static void onDrained(pa_stream* stream, int success, void* user);
    static void onTimingUpdated(pa_stream* stream, int success, void* user);

    PulseSoundDevice* owner;
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;
    pa_stream* stream = nullptr;
    // The play under way: its number, its sound and how much of it has been written.
    quint64 playId = 0;
    std::shared_ptr<const SoundClip> clip;
    size_t written = 0;
    size_t aheadBytes = 0;
    // The stream has been told to sound (it may still be connecting).
    bool started = false;
    bool draining = false;
    // A play waits for the connection.
    bool pending = false;
    // The server's absence has been logged; once is enough until it is back.
    bool reportedDown = false;
};

namespace {

class Locker {
public:
    explicit Locker(pa_threaded_mainloop* loop) : m_loop(loop) { pa_threaded_mainloop_lock(m_loop); }
    ~Locker() { pa_threaded_mainloop_unlock(m_loop); }
    Locker(const Locker&) = delete;
    Locker& operator=(const Locker&) = delete;

private:
    pa_threaded_mainloop* m_loop;
};

} // namespace

PulseSoundDevice::Engine::~Engine() {
    if (!loop) {
        return;
    }
    {
        Locker lock(loop);
        owner = nullptr;
    }
    pa_threaded_mainloop_stop(loop);
    dropStream();
    dropContext();
    pa_threaded_mainloop_free(loop);
}

bool PulseSoundDevice::Engine::start() {
    if (loop) {
        return true;
    }
    loop = pa_threaded_mainloop_new();
    if (loop && pa_threaded_mainloop_start(loop) < 0) {
        pa_threaded_mainloop_free(loop);
        loop = nullptr;
    }
    if (!loop) {
        qCWarning(lcSound, "cannot start the audio thread; the buzzer stays silent");
    }
    return loop != nullptr;
}

void PulseSoundDevice::Engine::connect() {
    if (context) {
        const pa_context_state_t state = pa_context_get_state(context);
        if (state != PA_CONTEXT_FAILED && state != PA_CONTEXT_TERMINATED) {
            return;
        }
    }
    dropContext();
    context = pa_context_new(pa_threaded_mainloop_get_api(loop), "Ravenmark");
    if (!context) {
        serverLost("cannot create a connection");
        return;
    }
    pa_context_set_state_callback(context, onContextState, this);
    // Never start a server of our own: the desktop's is the one to sound on.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        serverLost(pa_strerror(pa_context_errno(context)));
    }
}

void PulseSoundDevice::Engine::prepare() {
    if (clip && !stream && connected()) {
        startStream(true);
    }
}

void PulseSoundDevice::Engine::begin() {
    if (stream) {
        const pa_stream_state_t state = pa_stream_get_state(stream);
        if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) {
            dropStream();
        }
    }
    if (stream) {
        started = true;
        if (pa_stream_get_state(stream) == PA_STREAM_READY) {
            uncork();
        }
        // else uncorked as soon as it is ready
    } else if (connected()) {
        startStream(false);
    } else {
        // Sounds once connected, or ends when the connection fails.
        pending = true;
        connect();
    }
}

void PulseSoundDevice::Engine::uncork() {
    if (pa_operation* operation = pa_stream_cork(stream, 0, nullptr, nullptr)) {
        pa_operation_unref(operation);
    }
    drainIfWritten();
}

void PulseSoundDevice::Engine::drainIfWritten() {
    if (!started || draining || written < clip->samples.size() * sizeof(float)) {
        return;
    }
    draining = true;
    if (pa_operation* operation = pa_stream_drain(stream, onDrained, this)) {
        pa_operation_unref(operation);
    } else {
        post(playId, 0);
    }
}

void PulseSoundDevice::Engine::startStream(bool corked) {
    dropStream();
    if (!clip) {
        // Nothing to play (closed meanwhile): the play, if any, ends here.
        if (!corked) {
            post(playId, 0);
        }
        return;
    }
    pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32LE, static_cast<uint32_t>(clip->sampleRate),
                                static_cast<uint8_t>(clip->channels)};
    pa_channel_map map;
    pa_channel_map_init_extend(&map, sampleFormat.channels, PA_CHANNEL_MAP_DEFAULT);
    stream = pa_stream_new(context, "Buzzer", &sampleFormat, &map);
    if (!stream) {
        qCWarning(lcSound, "cannot play the buzzer: %s", pa_strerror(pa_context_errno(context)));
        post(playId, 0);
        return;
    }
    written = 0;
    aheadBytes = pa_usec_to_bytes(AheadMs * PA_USEC_PER_MSEC, &sampleFormat);
    started = !corked;
    draining = false;
    pa_stream_set_state_callback(stream, onStreamState, this);
    pa_stream_set_write_callback(stream, onWrite, this);
    // A small target buffer: the sound starts as soon as that much is written, and the
    // server keeps no more than that ahead of the speaker.
    pa_buffer_attr attr;
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(TargetLatencyMs * PA_USEC_PER_MSEC, &sampleFormat));
    attr.prebuf = static_cast<uint32_t>(-1);
    attr.minreq = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(-1);
    auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE |
                                                PA_STREAM_INTERPOLATE_TIMING);
    if (corked) {
        flags = static_cast<pa_stream_flags_t>(flags | PA_STREAM_START_CORKED);
    }
    if (pa_stream_connect_playback(stream, nullptr, &attr, flags, nullptr, nullptr) < 0) {
        qCWarning(lcSound, "cannot play the buzzer: %s", pa_strerror(pa_context_errno(context)));
        dropStream();
        if (!corked) {
            post(playId, 0);
        }
    }
}

void PulseSoundDevice::Engine::dropStream() {
    if (!stream) {
        return;
    }
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    stream = nullptr;
}

void PulseSoundDevice::Engine::dropContext() {
    if (!context) {
        return;
    }
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    context = nullptr;
}

void PulseSoundDevice::Engine::post(quint64 id, int delayMs) const {
    if (PulseSoundDevice* device = owner) {
        // Queued to the device, so dropped if the device is destroyed first.
        QMetaObject::invokeMethod(
            device, [device, id, delayMs] { device->playEnded(id, delayMs); }, Qt::QueuedConnection);
    }
}

void PulseSoundDevice::Engine::serverLost(const char* what) {
    if (!reportedDown) {
        reportedDown = true;
        qCWarning(lcSound, "no sound server; the buzzer is silent until one answers (%s)", what);
    }
    if (pending || (stream && started)) {
        pending = false;
        post(playId, 0);
    }
}

void PulseSoundDevice::Engine::onContextState(pa_context* context, void* user) {
    auto* engine = static_cast<Engine*>(user);
    if (context != engine->context) {
        return;
    }
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        engine->reportedDown = false;
        if (engine->pending) {
            engine->pending = false;
            engine->startStream(false);
        } else {
            engine->prepare();
        }
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        engine->serverLost(pa_strerror(pa_context_errno(context)));
        break;
    default:
        break;
    }
}

void PulseSoundDevice::Engine::onStreamState(pa_stream* stream, void* user) {
    auto* engine = static_cast<Engine*>(user);
    if (stream != engine->stream) {
        return;
    }
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY && engine->started) {
        // A play asked for while the prepared stream was still connecting.
        engine->uncork();
    } else if ((state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) && engine->started) {
        // The server went away mid-play, or refused the stream; the context reports which.
        // A prepared stream that fails is made again by the next play.
        engine->post(engine->playId, 0);
    }
}

void PulseSoundDevice::Engine::onWrite(pa_stream* stream, size_t bytes, void* user) {
    auto* engine = static_cast<Engine*>(user);
    if (stream != engine->stream || !engine->clip) {
        return;
    }
    const size_t total = engine->clip->samples.size() * sizeof(float);
    // Far more than asked for: the server queues it, so a busy machine that keeps this
    // thread waiting cannot starve the sound, while the small target buffer still sets
    // how soon the sink plays what it is given.
    const size_t count = std::min(std::max(bytes, engine->aheadBytes), total - engine->written);
    if (count > 0) {
        const auto* data = reinterpret_cast<const char*>(engine->clip->samples.data());
        pa_stream_write(stream, data + engine->written, count, nullptr, 0, PA_SEEK_RELATIVE);
        engine->written += count;
    }
    engine->drainIfWritten();
}

void PulseSoundDevice::Engine::onDrained(pa_stream* stream, int success, void* user) {
    auto* engine = static_cast<Engine*>(user);
    if (stream != engine->stream || !success) {
        return;
    }
    // Drained means the server has taken the last sample from us, not that it has been
    // heard: the sink still holds its own latency's worth. Ask how much, fresh.
    if (pa_operation* operation = pa_stream_update_timing_info(stream, onTimingUpdated, engine)) {
        pa_operation_unref(operation);
    } else {
        engine->post(engine->playId, 0);
    }
}

void PulseSoundDevice::Engine::onTimingUpdated(pa_stream* stream, int success, void* user) {
    auto* engine = static_cast<Engine*>(user);
    if (stream != engine->stream) {
        return;
    }
    pa_usec_t latency = 0;
    int negative = 0;
    int delayMs = 0;
    if (success && pa_stream_get_latency(stream, &latency, &negative) == 0 && !negative) {
        // Bounded: a confused server must not hold the buzzer.
        delayMs = static_cast<int>(std::min<pa_usec_t>((latency + 999) / 1000, 2000));
    }
    engine->post(engine->playId, delayMs);
}

PulseSoundDevice::PulseSoundDevice(QObject* parent)
    : SoundDevice(parent), m_engine(std::make_unique<Engine>(this)) {
    m_finishTimer.setSingleShot(true);
    m_capTimer.setSingleShot(true);
    QObject::connect(&m_finishTimer, &QTimer::timeout, this, &PulseSoundDevice::finish);
    QObject::connect(&m_capTimer, &QTimer::timeout, this, [this] {
        if (m_engine->loop) {
            // A connection still not made by now is given up; the next play makes a new one.
            Locker lock(m_engine->loop);
            if (!m_engine->connected()) {
                m_engine->dropContext();
            }
        }
        finish();
    });
}

PulseSoundDevice::~PulseSoundDevice() {
    close();
    m_engine.reset();
}

bool PulseSoundDevice::open(const QString& path) {
    close();
    setFileName(path);
    QString why;
    std::optional<SoundClip> clip = soundclip::decodeFile(path, &why);
    // Reopened after every visit to the options, a bad file is still reported only once.
    static FileFailures failures;
    if (!clip) {
        // No file chosen is no failure.
        if (!path.isEmpty() && failures.record(path)) {
            qCWarning(lcSound).noquote() << "cannot play" << path + ":" << why;
        }
        return false;
    }
    failures.forget(path);
    m_clip = std::make_shared<const SoundClip>(std::move(*clip));
    // Connect and make the stream now, so that the first play only has to start it.
    if (m_engine->start()) {
        Locker lock(m_engine->loop);
        m_engine->clip = m_clip;
        m_engine->connect();
        m_engine->prepare();
    }
    return true;
}

void PulseSoundDevice::play() {
    if (m_playing) {
        return;
    }
    m_playing = true;
    const quint64 id = ++m_playId;
    if (m_clip && m_engine->start()) {
        m_capTimer.start(static_cast<int>(m_clip->durationMs()) + FinishMarginMs);
        Locker lock(m_engine->loop);
        // The audio thread may have started only now (it could not at open()), so the
        // engine may not have the clip yet.
        m_engine->clip = m_clip;
        m_engine->playId = id;
        m_engine->begin();
    } else {
        finishSoon();
    }
    // Last, so that a listener that plays or stops finds the play fully set up.
    emit playingChanged(true);
}

void PulseSoundDevice::stop() {
    if (!m_playing) {
        return;
    }
    if (m_engine->loop) {
        Locker lock(m_engine->loop);
        m_engine->pending = false;
        m_engine->dropStream();
    }
    finishSoon();
}

void PulseSoundDevice::close() {
    stop();
    m_clip.reset();
    if (m_engine->loop) {
        Locker lock(m_engine->loop);
        m_engine->dropStream();
        m_engine->clip.reset();
    }
}

void PulseSoundDevice::playEnded(quint64 id, int delayMs) {
    if (!m_playing || id != m_playId) {
        return;
    }
    if (delayMs > 0) {
        m_finishTimer.start(delayMs);
    } else {
        finish();
    }
}

void PulseSoundDevice::finishSoon() {
    m_finishTimer.start(0);
}

void PulseSoundDevice::finish() {
    if (!m_playing) {
        return;
    }
    m_finishTimer.stop();
    m_capTimer.stop();
    if (m_engine->loop) {
        Locker lock(m_engine->loop);
        m_engine->pending = false;
        m_engine->dropStream();
        // Ready for the next play.
        m_engine->prepare();
    }
    m_playing = false;
    emit playingChanged(false);
    emit finished();
}
