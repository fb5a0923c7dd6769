#pragma once

#include "platform/sounddevice.h"

#include <QString>
#include <QTimer>

class QSoundEffect;

// The buzzer's sound device: a wave file opened by name and driven by text commands
// ("Open", "Play", "Stop", "Prev", "Close", in any letter case; anything else is
// ignored).
//
// The board clears its "sounding" flag only when a play reports completion, so a
// lost report would silence the horn for the rest of the game. Every "Play"
// therefore ends in exactly one playbackFinished(), whatever goes wrong: no audio
// server, a missing or broken file, a device that never says it stopped. The report
// always comes from the event loop, never from inside setCommand().
class MultimediaDevice : public SoundDevice {
    Q_OBJECT

public:
    // How long after the file's own length a play is declared finished when the
    // audio system has not said so itself.
    static constexpr int FinishMarginMs = 250;
    // Limits on what is taken for a buzzer sound.
    static constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;
    static constexpr qint64 MaxPlayMs = 60 * 1000;

    explicit MultimediaDevice(QObject* parent = nullptr);
    ~MultimediaDevice() override;

    // Takes effect at the next "Open".
    using SoundDevice::setFileName;

    // The last command written.
    QString command() const { return m_command; }
    // Virtual so that the board's tests can stand in a fake device.
    virtual void setCommand(const QString& command);

    // From "Play" until playbackFinished(). A "Play" meanwhile is ignored.
    bool isPlaying() const override { return m_playing; }
    // A sound is loaded: the file exists and has a usable wave header.
    bool isOpen() const override { return m_effect != nullptr; }

    bool open(const QString& path) override;
    void play() override;
    void stop() override;
    void close() override;

private:
    void open();
    void finishSoon(int delayMs = 0);
    void finish();
    void onEffectPlayingChanged();
    void onEffectStatusChanged();

    QString m_command;
    QSoundEffect* m_effect = nullptr;
    QTimer m_finishTimer;
    // Length of the open file plus the margin, or -1 when the file has no usable length.
    int m_playLimitMs = -1;
    bool m_playing = false;
    // A play cut short is over even though its report waits for the event loop; a sound
    // loaded meanwhile must not prolong it.
    bool m_cutShort = false;
};
