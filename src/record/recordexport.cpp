#include "record/recordexport.h"

#include "record/recorddatabase.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace recordexport {
namespace {

constexpr qint64 UnitsPerTenth = 1000;

QString localTime(qint64 ms, const QString& format) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(format);
}

bool isClock(GameField field) {
    return field == GameField::GameClock || field == GameField::ShotClock ||
           field == GameField::GameClockReset;
}

// "m:ss.t", tenths rounded up as the read-outs show them; blank for a blank read-out.
QString clockText(qint64 units) {
    if (units < 0) {
        return {};
    }
    const qint64 tenths = (units + UnitsPerTenth - 1) / UnitsPerTenth;
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

QString valueText(GameField field, qint64 value) {
    if (isClock(field)) {
        return clockText(value);
    }
    return value < 0 ? QString() : QString::number(value);
}

QJsonValue valueJson(GameField field, qint64 value) {
    if (value < 0) {
        return QJsonValue::Null;
    }
    return isClock(field) ? QJsonValue(double(value) / 10000.0) : QJsonValue(value);
}

// The score after each event; a blank score counts as 0, as every change to it does.
struct RunningScore {
    qint64 home = 0;
    qint64 visitor = 0;
    void apply(const GameEvent& e) {
        if (e.field == GameField::ScoreHome) {
            home = std::max<qint64>(0, e.newValue);
        } else if (e.field == GameField::ScoreVisitor) {
            visitor = std::max<qint64>(0, e.newValue);
        }
    }
};

QByteArray csv(const StoredGame& game) {
    QStringList lines{
        QStringLiteral("seq,time,period,game_clock,shot_clock,field,old,new,cause,home,visitor")};
    RunningScore score;
    for (const RecordedEvent& r : game.events) {
        score.apply(r.event);
        lines << QStringList{QString::number(r.seq),
                             localTime(r.timeOfDayMs, QStringLiteral("HH:mm:ss.zzz")),
                             r.period < 0 ? QString() : QString::number(r.period),
                             clockText(r.gameClock),
                             clockText(r.shotClock),
                             fieldName(r.event.field),
                             valueText(r.event.field, r.event.oldValue),
                             valueText(r.event.field, r.event.newValue),
                             causeName(r.event.cause),
                             QString::number(score.home),
                             QString::number(score.visitor)}
                     .join(QLatin1Char(','));
    }
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QByteArray json(const StoredGame& game) {
    QJsonArray events;
    RunningScore score;
    for (const RecordedEvent& r : game.events) {
        score.apply(r.event);
        events.append(QJsonObject{
            {QStringLiteral("seq"), r.seq},
            {QStringLiteral("time"), localTime(r.timeOfDayMs, QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"))},
            {QStringLiteral("period"), r.period < 0 ? QJsonValue::Null : QJsonValue(r.period)},
            {QStringLiteral("gameClock"), valueJson(GameField::GameClock, r.gameClock)},
            {QStringLiteral("shotClock"), valueJson(GameField::ShotClock, r.shotClock)},
            {QStringLiteral("field"), fieldName(r.event.field)},
            {QStringLiteral("old"), valueJson(r.event.field, r.event.oldValue)},
            {QStringLiteral("new"), valueJson(r.event.field, r.event.newValue)},
            {QStringLiteral("cause"), causeName(r.event.cause)},
            {QStringLiteral("score"), QJsonArray{score.home, score.visitor}},
        });
    }
    const QJsonObject root{
        {QStringLiteral("id"), game.id},
        {QStringLiteral("started"), localTime(game.header.startedMs, QStringLiteral("yyyy-MM-ddTHH:mm:ss"))},
        {QStringLiteral("ended"),
         game.endedMs ? QJsonValue(localTime(*game.endedMs, QStringLiteral("yyyy-MM-ddTHH:mm:ss")))
                      : QJsonValue::Null},
        {QStringLiteral("home"), game.header.home},
        {QStringLiteral("visitor"), game.header.visitor},
        {QStringLiteral("league"), game.header.league},
        {QStringLiteral("events"), events},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

const char* const Usage = "usage: ravenmark [bypass]\n"
                          "       ravenmark --list-games\n"
                          "       ravenmark --export [ID|last] [--format csv|json]\n";

} // namespace

QString gameList(const QList<GameSummary>& games) {
    QList<QStringList> rows{{QStringLiteral("id"), QStringLiteral("started"), QStringLiteral("ended"),
                             QStringLiteral("home"), QStringLiteral("visitor"), QStringLiteral("score")}};
    const QString format = QStringLiteral("yyyy-MM-dd HH:mm");
    for (const GameSummary& g : games) {
        const QString score = g.scoreHome < 0 && g.scoreVisitor < 0
                                  ? QStringLiteral("-")
                                  : QStringLiteral("%1-%2")
                                        .arg(std::max<qint64>(0, g.scoreHome))
                                        .arg(std::max<qint64>(0, g.scoreVisitor));
        rows << QStringList{QString::number(g.id),
                            localTime(g.header.startedMs, format),
                            g.endedMs ? localTime(*g.endedMs, QStringLiteral("HH:mm")) : QStringLiteral("-"),
                            g.header.home,
                            g.header.visitor,
                            score};
    }
    QList<qsizetype> widths(rows.first().size(), 0);
    for (const QStringList& row : rows) {
        for (qsizetype i = 0; i < row.size(); ++i) {
            widths[i] = std::max(widths[i], row[i].size());
        }
    }
    QString text;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i) {
            line += i + 1 < row.size() ? row[i].leftJustified(widths[i] + 2) : row[i];
        }
        text += line + QLatin1Char('\n');
    }
    return text;
}

QByteArray exportGame(const StoredGame& game, Format format) {
    return format == Format::Json ? json(game) : csv(game);
}

bool isRecordCommand(const QStringList& arguments) {
    return arguments.contains(QLatin1String("--list-games")) || arguments.contains(QLatin1String("--export"));
}

int runCommand(const QStringList& arguments, const QString& path, QTextStream& out, QTextStream& err) {
    bool list = false;
    bool exportOne = false;
    QString which = QStringLiteral("last");
    Format format = Format::Csv;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--list-games")) {
            list = true;
        } else if (a == QLatin1String("--export")) {
            exportOne = true;
            if (i + 1 < arguments.size() && !arguments[i + 1].startsWith(QLatin1String("--"))) {
                which = arguments[++i];
            }
        } else if (a == QLatin1String("--format") && i + 1 < arguments.size() &&
                   (arguments[i + 1] == QLatin1String("csv") || arguments[i + 1] == QLatin1String("json"))) {
            format = arguments[++i] == QLatin1String("json") ? Format::Json : Format::Csv;
        } else {
            err << "ravenmark: " << a << " is not understood here\n" << Usage;
            return 2;
        }
    }
    bool idOk = which == QLatin1String("last");
    const qint64 id = idOk ? -1 : which.toLongLong(&idOk);
    if (list == exportOne || !idOk) {
        err << Usage;
        return 2;
    }

    RecordDatabase db(QStringLiteral("ravenmark-record-command"));
    if (!db.open(path, RecordDatabase::Access::ReadOnly)) {
        if (list && !QFile::exists(path)) {
            out << "No games recorded yet.\n";
            return 0;
        }
        err << "ravenmark: cannot read the game record " << path << ": " << db.lastError() << '\n';
        return 1;
    }
    if (list) {
        const auto games = db.listGames();
        if (!games) {
            err << "ravenmark: cannot read the game record " << path << ": " << db.lastError() << '\n';
            return 1;
        }
        out << (games->isEmpty() ? QStringLiteral("No games recorded yet.\n") : gameList(*games));
        return 0;
    }
    const std::optional<qint64> gameId = id >= 0 ? std::optional<qint64>(id) : db.lastGameId();
    const std::optional<StoredGame> game = gameId && *gameId >= 0 ? db.readGame(*gameId) : std::nullopt;
    if (!game) {
        err << "ravenmark: no game " << which << " in " << path << '\n';
        return 1;
    }
    out << QString::fromUtf8(exportGame(*game, format));
    return 0;
}

} // namespace recordexport
