#pragma once

#include "record/recordtypes.h"

#include <QByteArray>
#include <QStringList>
#include <QTextStream>
#include <optional>

// Reading the record from the command line: the list of games, and one game's events as a table.
namespace recordexport {

enum class Format { Csv, Json };

// One line a game: id, start, end, teams and final score, in aligned columns.
QString gameList(const QList<GameSummary>& games);
// Every event of the game with the period, the clocks, what changed and the running score.
QByteArray exportGame(const StoredGame& game, Format format);

// Whether the arguments ask for the record rather than the board ("--list-games", "--export").
bool isRecordCommand(const QStringList& arguments);
// Runs a record command against the database at `path` and returns the exit status:
// 0 done, 1 nothing to show or the record cannot be read, 2 arguments not understood.
int runCommand(const QStringList& arguments, const QString& path, QTextStream& out, QTextStream& err);

} // namespace recordexport
