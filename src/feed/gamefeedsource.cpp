#include "feed/gamefeedsource.h"

#include "game/game.h"
#include "settings/settingsnotifier.h"

GameFeedSource::GameFeedSource(const Game& game, bool twelveHourClock, QObject* parent)
    : FeedSource(parent), m_game(game), m_twelveHourClock(twelveHourClock) {
    connect(&game, &Game::changed, this, [this](const GameEvent& event) {
        emit changed(
            FeedChange{fieldName(event.field), event.oldValue, event.newValue, causeName(event.cause)});
    });
    // Queued: the views that read the settings first take them in, then the feed reads them.
    connect(&settingsChanges(), &SettingsNotifier::changed, this, &FeedSource::restyled,
            Qt::QueuedConnection);
}

FeedState GameFeedSource::snapshot() const {
    const SettingsRecord& s = m_game.settings();
    const auto value = [this](GameField field) {
        return m_game.value(field);
    };
    FeedState state;
    state.title = s.TitleText;
    state.homeName = s.HomeText;
    state.visitorName = s.VisitorText;
    state.scoreHome = value(GameField::ScoreHome);
    state.scoreVisitor = value(GameField::ScoreVisitor);
    state.foulsHome = value(GameField::FoulsHome);
    state.foulsVisitor = value(GameField::FoulsVisitor);
    state.timeoutsHome = value(GameField::TimeoutsHome);
    state.timeoutsVisitor = value(GameField::TimeoutsVisitor);
    state.playerFoul = value(GameField::PlayerFoul);
    state.playerFouls = value(GameField::PlayerFouls);
    state.period = value(GameField::Period);
    state.halves = s.GamePeriod != 0;
    state.possession = value(GameField::Possession);
    state.bonusHome = {m_game.bonusLight(Side::Home, 0), m_game.bonusLight(Side::Home, 1)};
    state.bonusVisitor = {m_game.bonusLight(Side::Visitor, 0), m_game.bonusLight(Side::Visitor, 1)};
    const ClockEngine& game = m_game.clocks().game();
    const ClockEngine& shot = m_game.clocks().shot();
    state.gameClock = feedClock(game.seconds(), game.running(), game.timeSource().nowNs());
    state.shotClock = feedClock(shot.seconds(), shot.running(), shot.timeSource().nowNs());
    state.shotClockBlank = m_game.shotClockBlank();
    state.timeOfDay = value(GameField::ClockDisplay) == 1;
    state.twelveHourClock = m_twelveHourClock;
    state.formBack = s.FormBack;
    state.timeColor = s.TimeColor;
    state.scoreColor = s.ScoreColor;
    state.periodColor = s.PeriodColor;
    state.ledBack = s.LEDBack;
    state.borderColor = s.BorderColor;
    state.homeColor = s.HomeColor;
    state.visitorColor = s.VisitorColor;
    return state;
}
