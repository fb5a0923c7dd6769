#include "feed/feedstate.h"

#include <algorithm>

namespace {

constexpr std::int64_t NsPerUnit = 1'000'000'000 / Currency::Scale;
constexpr std::int64_t UnitsPerTenth = Currency::Scale / 10;

QJsonObject clockJson(const FeedClock& clock) {
    return {{QStringLiteral("tenths"), qint64(clock.tenths)},
            {QStringLiteral("running"), clock.running},
            {QStringLiteral("at"), qint64(clock.atMs)}};
}

QJsonArray lights(const std::array<bool, 2>& lit) {
    return {lit[0], lit[1]};
}

} // namespace

FeedClock feedClock(Currency seconds, bool running, std::int64_t nowNs) {
    const Currency left = std::max(seconds, Currency());
    FeedClock clock;
    clock.tenths = left.ceilTenths();
    clock.running = running;
    std::int64_t atNs = nowNs;
    if (running) {
        // The clock stood at the tenth it shows this many units ago.
        atNs -= (clock.tenths * UnitsPerTenth - left.units()) * NsPerUnit;
    }
    clock.atMs = (atNs + 500'000) / 1'000'000;
    return clock;
}

namespace feedjson {

QString color(std::int32_t rgb) {
    const auto byte = [rgb](int shift) {
        return (rgb >> shift) & 0xff;
    };
    return QStringLiteral("#%1%2%3")
        .arg(byte(0), 2, 16, QLatin1Char('0'))
        .arg(byte(8), 2, 16, QLatin1Char('0'))
        .arg(byte(16), 2, 16, QLatin1Char('0'));
}

QJsonObject state(const FeedState& s, std::int64_t seq, std::int64_t nowMs, std::int64_t wallMs,
                  int utcOffsetS) {
    QJsonObject shot = clockJson(s.shotClock);
    shot.insert(QStringLiteral("blank"), s.shotClockBlank);
    return {
        {QStringLiteral("seq"), qint64(seq)},
        {QStringLiteral("now"), qint64(nowMs)},
        {QStringLiteral("title"), s.title},
        {QStringLiteral("homeName"), s.homeName},
        {QStringLiteral("visitorName"), s.visitorName},
        {QStringLiteral("scoreHome"), qint64(s.scoreHome)},
        {QStringLiteral("scoreVisitor"), qint64(s.scoreVisitor)},
        {QStringLiteral("foulsHome"), qint64(s.foulsHome)},
        {QStringLiteral("foulsVisitor"), qint64(s.foulsVisitor)},
        {QStringLiteral("timeoutsHome"), qint64(s.timeoutsHome)},
        {QStringLiteral("timeoutsVisitor"), qint64(s.timeoutsVisitor)},
        {QStringLiteral("playerFoul"), qint64(s.playerFoul)},
        {QStringLiteral("playerFouls"), qint64(s.playerFouls)},
        {QStringLiteral("period"), qint64(s.period)},
        {QStringLiteral("periodName"), s.halves ? QStringLiteral("Half") : QStringLiteral("Period")},
        {QStringLiteral("possession"), qint64(s.possession)},
        {QStringLiteral("bonusHome"), lights(s.bonusHome)},
        {QStringLiteral("bonusVisitor"), lights(s.bonusVisitor)},
        {QStringLiteral("gameClock"), clockJson(s.gameClock)},
        {QStringLiteral("shotClock"), shot},
        {QStringLiteral("timeOfDay"), QJsonObject{{QStringLiteral("shown"), s.timeOfDay},
                                                  {QStringLiteral("wall"), qint64(wallMs)},
                                                  {QStringLiteral("utcOffset"), utcOffsetS},
                                                  {QStringLiteral("twelveHour"), s.twelveHourClock}}},
        {QStringLiteral("colors"), QJsonObject{{QStringLiteral("back"), color(s.formBack)},
                                               {QStringLiteral("time"), color(s.timeColor)},
                                               {QStringLiteral("score"), color(s.scoreColor)},
                                               {QStringLiteral("period"), color(s.periodColor)},
                                               {QStringLiteral("ledBack"), color(s.ledBack)},
                                               {QStringLiteral("border"), color(s.borderColor)},
                                               {QStringLiteral("home"), color(s.homeColor)},
                                               {QStringLiteral("visitor"), color(s.visitorColor)}}},
    };
}

QJsonObject change(const FeedChange& c) {
    return {{QStringLiteral("seq"), qint64(c.seq)},
            {QStringLiteral("field"), c.field},
            {QStringLiteral("old"), qint64(c.oldValue)},
            {QStringLiteral("new"), qint64(c.newValue)},
            {QStringLiteral("cause"), c.cause}};
}

} // namespace feedjson
