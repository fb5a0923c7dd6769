#include "platform/multimediadevice.h"

#include "platform/wavinfo.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>
#include <algorithm>
#include <limits>
#include <utility>

MultimediaDevice::MultimediaDevice(QObject* parent) : SoundDevice(parent) {
    m_finishTimer.setSingleShot(true);
    connect(&m_finishTimer, &QTimer::timeout, this, &MultimediaDevice::finish);
}

MultimediaDevice::~MultimediaDevice() {
    close();
}

void MultimediaDevice::setCommand(const QString& command) {
    m_command = command;
    if (command.compare(QLatin1String("Open"), Qt::CaseInsensitive) == 0) {
        open();
    } else if (command.compare(QLatin1String("Play"), Qt::CaseInsensitive) == 0) {
        play();
    } else if (command.compare(QLatin1String("Stop"), Qt::CaseInsensitive) == 0) {
        stop();
    } else if (command.compare(QLatin1String("Close"), Qt::CaseInsensitive) == 0) {
        close();
    }
    // "Prev" rewinds, but every play starts from the beginning anyway.
}

bool MultimediaDevice::open(const QString& path) {
    setFileName(path);
    open();
    return isOpen();
}

void MultimediaDevice::open() {
    close();
    // Only a file whose length is known is handed to the audio system, so that
    // every play it starts can also be ended by the clock.
    // Only a regular file of a sound's size: a pipe or device would block the board, and a
    // huge file would be read into memory whole.
    const QFileInfo file(fileName());
    if (!file.isFile() || file.size() > MaxFileBytes) {
        return;
    }
    const std::optional<wavinfo::WaveInfo> info = wavinfo::readFile(fileName());
    if (!info) {
        return;
    }
    // A header may claim any length; no horn is held longer than this.
    m_playLimitMs = static_cast<int>(std::min<qint64>(info->durationMs(), MaxPlayMs) + FinishMarginMs);

    m_effect = new QSoundEffect(this);
    connect(m_effect, &QSoundEffect::playingChanged, this, &MultimediaDevice::onEffectPlayingChanged);
    connect(m_effect, &QSoundEffect::statusChanged, this, &MultimediaDevice::onEffectStatusChanged);
    // Loading starts here, so that a later "Play" sounds at once.
    m_effect->setSource(QUrl::fromLocalFile(fileName()));
}

void MultimediaDevice::play() {
    if (m_playing) {
        return;
    }
    m_playing = true;

    if (m_effect && m_effect->status() != QSoundEffect::Error) {
        m_effect->play();
    }
    if (m_effect && m_effect->isPlaying()) {
        // Counted from now even if the sound is still loading, so that a load that
        // never ends cannot hold the play open.
        finishSoon(m_playLimitMs);
    } else {
        finishSoon();
    }
    // Last, so that a listener that sends a command finds the play fully set up.
    emit playingChanged(true);
}

void MultimediaDevice::stop() {
    if (m_effect) {
        m_effect->stop();
    }
    if (m_playing) {
        m_cutShort = true;
        finishSoon();
    }
}

void MultimediaDevice::close() {
    stop();
    if (QSoundEffect* effect = std::exchange(m_effect, nullptr)) {
        // The effect signals while it is destroyed; those signals must not reach us.
        effect->disconnect(this);
        delete effect;
    }
    m_playLimitMs = -1;
}

void MultimediaDevice::finishSoon(int delayMs) {
    m_finishTimer.start(delayMs);
}

void MultimediaDevice::finish() {
    if (!m_playing) {
        return;
    }
    m_finishTimer.stop();
    m_playing = false;
    m_cutShort = false;
    if (m_effect && m_effect->isPlaying()) {
        m_effect->stop();
    }
    emit playingChanged(false);
    emit finished();
}

void MultimediaDevice::onEffectPlayingChanged() {
    if (m_playing && !m_effect->isPlaying()) {
        finishSoon();
    }
}

void MultimediaDevice::onEffectStatusChanged() {
    if (!m_playing || m_cutShort) {
        return;
    }
    if (m_effect->status() == QSoundEffect::Error) {
        finishSoon();
    } else if (m_effect->status() == QSoundEffect::Ready) {
        // A play asked for while the file was still loading starts only now; its
        // whole length is still to come.
        finishSoon(m_playLimitMs);
    }
}
