#pragma once

// Every statement the record sends to SQLite, in one place.
namespace recordsql {

// Bumped when the tables change; a file with a higher number is from a later version and is read only.
inline constexpr int SchemaVersion = 1;

inline constexpr const char* Pragmas[] = {
    "PRAGMA journal_mode = WAL",
    // Each commit is on the disk before the next one starts; see the README for what it costs.
    "PRAGMA synchronous = FULL",
    "PRAGMA foreign_keys = ON",
    // Another program holding the file: wait a little on the record's own thread, then report.
    "PRAGMA busy_timeout = 250",
    // The write-ahead log is folded back often and cut short after, so the files stay small.
    "PRAGMA wal_autocheckpoint = 64",
    "PRAGMA journal_size_limit = 262144",
};

inline constexpr const char* CreateTables[] = {
    "CREATE TABLE IF NOT EXISTS games ("
    " id INTEGER PRIMARY KEY,"
    " started_ms INTEGER NOT NULL,"
    " ended_ms INTEGER," // the end mark: NULL while the game is on, or when it was never closed
    " home TEXT,"
    " visitor TEXT,"
    " league TEXT)",
    "CREATE TABLE IF NOT EXISTS events ("
    " game INTEGER NOT NULL REFERENCES games(id),"
    " seq INTEGER NOT NULL,"
    " time_of_day_ms INTEGER NOT NULL,"
    " steady_ns INTEGER NOT NULL,"
    " period INTEGER NOT NULL,"
    " game_clock INTEGER NOT NULL,"
    " shot_clock INTEGER NOT NULL,"
    " field TEXT NOT NULL,"
    " old INTEGER NOT NULL,"
    " new INTEGER NOT NULL,"
    " cause TEXT NOT NULL,"
    " PRIMARY KEY (game, seq)) WITHOUT ROWID",
    // One row a game, overwritten once a second while a clock runs.
    "CREATE TABLE IF NOT EXISTS clocks ("
    " game INTEGER PRIMARY KEY REFERENCES games(id),"
    " after_seq INTEGER NOT NULL,"
    " time_of_day_ms INTEGER NOT NULL,"
    " steady_ns INTEGER NOT NULL,"
    " game_clock INTEGER NOT NULL,"
    " shot_clock INTEGER NOT NULL,"
    " game_running INTEGER NOT NULL,"
    " shot_running INTEGER NOT NULL)",
};

inline constexpr const char* ReadSchemaVersion = "PRAGMA user_version";
inline constexpr const char* WriteSchemaVersion = "PRAGMA user_version = 1";
inline constexpr const char* QuickCheck = "PRAGMA quick_check";

inline constexpr const char* Begin = "BEGIN IMMEDIATE";
inline constexpr const char* Commit = "COMMIT";
inline constexpr const char* Rollback = "ROLLBACK";

inline constexpr const char* InsertGame =
    "INSERT INTO games (started_ms, home, visitor, league) VALUES (?, ?, ?, ?)";
inline constexpr const char* GameExists = "SELECT 1 FROM games WHERE id = ? AND started_ms = ?";
// A repeated event (a commit reported failed that went through after all) is not an error.
inline constexpr const char* InsertEvent =
    "INSERT OR IGNORE INTO events (game, seq, time_of_day_ms, steady_ns, period, game_clock, shot_clock,"
    " field, old, new, cause) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)";
inline constexpr const char* WriteCheckpoint =
    "INSERT OR REPLACE INTO clocks (game, after_seq, time_of_day_ms, steady_ns, game_clock, shot_clock,"
    " game_running, shot_running) VALUES (?, ?, ?, ?, ?, ?, ?, ?)";
inline constexpr const char* EndGame = "UPDATE games SET ended_ms = ? WHERE id = ?";

inline constexpr const char* LastGame = "SELECT id FROM games ORDER BY id DESC LIMIT 1";
inline constexpr const char* ReadGame =
    "SELECT started_ms, ended_ms, home, visitor, league FROM games WHERE id = ?";
inline constexpr const char* ReadEvents =
    "SELECT seq, time_of_day_ms, steady_ns, period, game_clock, shot_clock, field, old, new, cause"
    " FROM events WHERE game = ? ORDER BY seq";
inline constexpr const char* ReadCheckpoint =
    "SELECT after_seq, time_of_day_ms, steady_ns, game_clock, shot_clock, game_running, shot_running"
    " FROM clocks WHERE game = ?";
inline constexpr const char* ListGames =
    "SELECT g.id, g.started_ms, g.ended_ms, g.home, g.visitor, g.league,"
    " (SELECT COUNT(*) FROM events e WHERE e.game = g.id),"
    " (SELECT new FROM events e WHERE e.game = g.id AND e.field = 'scoreHome' ORDER BY seq DESC LIMIT 1),"
    " (SELECT new FROM events e WHERE e.game = g.id AND e.field = 'scoreVisitor' ORDER BY seq DESC LIMIT 1)"
    " FROM games g ORDER BY g.id";

} // namespace recordsql
