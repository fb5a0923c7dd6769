#pragma once

#include "feed/feedsource.h"

class Game;

// The feed's view of the program's one game: each change of the Game as it is announced, and a
// snapshot of what the board shows, read from the game, its clocks and the settings.
class GameFeedSource : public FeedSource {
    Q_OBJECT

public:
    explicit GameFeedSource(const Game& game, bool twelveHourClock, QObject* parent = nullptr);

    FeedState snapshot() const override;

private:
    const Game& m_game;
    bool m_twelveHourClock;
};
