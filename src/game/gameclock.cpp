#include "game/gameclock.h"

GameClock::GameClock(const MonotonicClock& clock, QObject* parent)
    : QObject(parent), m_game(new ClockEngine(this, clock)), m_shot(new ClockEngine(this, clock)) {
    m_game->setObjectName(QStringLiteral("teGame"));
    m_shot->setObjectName(QStringLiteral("teShotClock"));
}

void GameClock::startStop() {
    m_game->setRunning(!m_game->running());
    m_shot->setRunning(m_game->running());
}

void GameClock::resetGame() {
    m_game->setRunning(false);
    m_shot->setRunning(false);
    m_game->setSeconds(m_resetTime);
}

void GameClock::resetShot(Currency seconds) {
    m_shot->setSeconds(seconds);
    if (m_game->running()) {
        m_shot->setRunning(true);
    }
}

void GameClock::checkRunOut(Currency game, Currency shot, bool shotClockBlank) {
    bool shotOut = false;
    if (shot > Currency()) {
        m_shotArmed = true;
    } else if (!shotClockBlank && m_shotArmed) {
        m_shotArmed = false;
        m_shot->setRunning(false);
        shotOut = true;
    }
    const bool gameOut = game <= Currency();
    if (gameOut) {
        m_game->setRunning(false);
        m_shot->setRunning(false);
    }
    // Both clocks out in one refresh are one run-out, heard once (or on both horns at once).
    if ((gameOut || shotOut) && !m_sounded) {
        m_sounded = true;
        emit ranOut(gameOut, shotOut);
        emit runOut();
    }
    if (!gameOut) {
        m_sounded = false;
    }
}
