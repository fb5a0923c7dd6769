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
    if (shot > Currency()) {
        m_shotArmed = true;
    } else if (!shotClockBlank && m_shotArmed) {
        m_shotArmed = false;
        m_shot->setRunning(false);
        sound();
    }

    if (game > Currency()) {
        m_sounded = false;
    } else {
        m_game->setRunning(false);
        m_shot->setRunning(false);
        sound();
    }
}

void GameClock::sound() {
    if (!m_sounded) {
        m_sounded = true;
        emit runOut();
    }
}
