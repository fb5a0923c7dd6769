#pragma once

#include "platform/soundclip.h"
#include "platform/sounddevice.h"

#include <QLoggingCategory>
#include <QTimer>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcSound)

// The buzzer on a PulseAudio server (or PipeWire's PulseAudio service). The file is
// decoded once, at open(), into memory; a play opens a low-latency stream, copies the
// samples into it from the audio thread and drains it, and finished() waits for the
// server's word that the last sample has left the speaker.
//
// The connection to the server is made off the user-interface thread. A play that
// finds no connection (no server yet, or one that has restarted) connects again and
// sounds as soon as it can; a play that cannot sound ends at once. Nothing here ever
// waits for the server.
class PulseSoundDevice : public SoundDevice {
    Q_OBJECT

public:
    // How much audio the server is asked to hold ahead: the delay from play() to sound.
    static constexpr int TargetLatencyMs = 20;
    // How much of the sound is handed to the server at a time (well within the 4 MiB
    // it queues per stream, at 96 kHz stereo).
    static constexpr int AheadMs = 2000;
    // A play that the server has not ended this long after the sound's own length is
    // ended here (a server that hangs, a connection that never completes).
    static constexpr int FinishMarginMs = 1000;

    explicit PulseSoundDevice(QObject* parent = nullptr);
    ~PulseSoundDevice() override;

    bool open(const QString& path) override;
    void play() override;
    void stop() override;
    void close() override;

    bool isOpen() const override { return m_clip != nullptr; }
    bool isPlaying() const override { return m_playing; }

private:
    struct Engine;

    // From the audio thread: play `id` has ended, its last sample `delayMs` from now.
    void playEnded(quint64 id, int delayMs);
    void finishSoon();
    void finish();

    std::unique_ptr<Engine> m_engine;
    std::shared_ptr<const SoundClip> m_clip;
    QTimer m_finishTimer;
    QTimer m_capTimer;
    quint64 m_playId = 0;
    bool m_playing = false;
};
