// The game survives SIGKILL: the program is started as main() starts it, plays a seeded game
// through the board's keys, is killed at spread moments (some in the middle of a write), and is
// started again; the game it restores must be the one last shown, or the one before it when the
// last change was still being written, with the clocks within a second of their last shown values.
//
// The binary doubles as the program: "tst_killrestore play <seed>" starts it with "bypass", prints
// the restored game ("R ..."), then plays and prints the game as shown ("S ...") after every key and
// every 100 ms while the clocks run on their own. RAVENMARK_KILLS sets the number of kills.
#include "app/startup.h"
#include "game/game.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <cstdio>

namespace {

const QString Play = QStringLiteral("play");
constexpr int DefaultKills = 100;
constexpr qint64 OneSecond = 10000; // clock units

// One line of what the board shows: every value, the clocks last.
QByteArray shown(char kind, const Game& game) {
    QByteArray line(1, kind);
    for (const GameValue& v : game.snapshot()) {
        line += ' ' + QByteArray::number(v.value);
    }
    return line + '\n';
}

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

int play(int argc, char** argv, quint32 seed) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ravenmark"));
    QApplication::setOrganizationName(QStringLiteral("Ravenmark"));
    QApplication::setQuitOnLastWindowClosed(false);
    Startup startup({QStringLiteral("bypass")});
    startup.start();
    frmScoreBoard* board = startup.board();
    if (!board) {
        return 3;
    }
    Game& game = board->game();
    QWindow* window = board->windowHandle();
    const auto say = [&](char kind) {
        const QByteArray line = shown(kind, game);
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        std::fflush(stdout);
    };
    say('R');

    const QList<Qt::Key> quickKeys{Qt::Key_Insert, Qt::Key_Home,     Qt::Key_PageUp, Qt::Key_Delete,
                                   Qt::Key_End,    Qt::Key_PageDown, Qt::Key_F11,    Qt::Key_F12,
                                   Qt::Key_P,      Qt::Key_F7,       Qt::Key_F8,     Qt::Key_Left,
                                   Qt::Key_Right,  Qt::Key_Up,       Qt::Key_T};
    QRandomGenerator random(seed);
    for (;;) {
        const int what = int(random.bounded(100));
        if (what < 55) {
            QTest::keyClick(window, quickKeys[int(random.bounded(quickKeys.size()))]);
        } else if (what < 65) {
            QTest::keyClick(window, Qt::Key_S);
        } else if (what < 75) {
            QTest::keyClick(window, random.bounded(2) ? Qt::Key_Z : Qt::Key_Y, Qt::ControlModifier);
        } else if (what < 85) {
            // A game time typed into the game clock.
            board->tabOrder().first()->setFocus(Qt::OtherFocusReason);
            const int seconds = int(random.bounded(600));
            for (Qt::Key k : {Qt::Key_Space, Qt::Key(Qt::Key_0 + seconds / 60), Qt::Key_Period,
                              Qt::Key(Qt::Key_0 + seconds % 60 / 10), Qt::Key(Qt::Key_0 + seconds % 10),
                              Qt::Key_Return}) {
                QTest::keyClick(window, k);
            }
        } else {
            // The clocks running on their own, as the audience watches them.
            const int lines = 2 + int(random.bounded(20));
            for (int i = 0; i < lines; ++i) {
                pause(100);
                say('S');
            }
            continue;
        }
        say('S');
        pause(int(random.bounded(30)));
    }
}

struct Shown {
    QList<qint64> values;
    bool operator==(const Shown&) const = default;
};

std::optional<Shown> parse(const QByteArray& line) {
    const QList<QByteArray> parts = line.trimmed().split(' ');
    if (parts.size() != GameFieldCount + 1) {
        return std::nullopt;
    }
    Shown s;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        bool ok = false;
        s.values << parts[i].toLongLong(&ok);
        if (!ok) {
            return std::nullopt;
        }
    }
    return s;
}

qint64 at(const Shown& s, GameField f) {
    return s.values[int(f)];
}

// The restored game against one shown: every value equal but the clocks, which are stopped and
// within a second of where they were.
bool matches(const Shown& restored, const Shown& shown, QString* why) {
    for (int f = 0; f < GameFieldCount; ++f) {
        const auto field = GameField(f);
        const qint64 r = restored.values[f];
        const qint64 s = shown.values[f];
        if (field == GameField::ClockRunning || field == GameField::ShotClockRunning) {
            if (r != 0) {
                *why = fieldName(field) + QStringLiteral(" still runs");
                return false;
            }
        } else if (field == GameField::GameClock || field == GameField::ShotClock) {
            if (std::abs(r - s) > OneSecond || (r < 0) != (s < 0)) {
                *why = QStringLiteral("%1 %2, shown %3").arg(fieldName(field)).arg(r).arg(s);
                return false;
            }
        } else if (r != s) {
            *why = QStringLiteral("%1 %2, shown %3").arg(fieldName(field)).arg(r).arg(s);
            return false;
        }
    }
    return true;
}

} // namespace

class TestKillRestore : public QObject {
    Q_OBJECT

private slots:
    void killedAndRestarted();
};

void TestKillRestore::killedAndRestarted() {
    bool ok = false;
    const int kills = qEnvironmentVariableIntValue("RAVENMARK_KILLS", &ok);
    const int count = ok && kills > 0 ? kills : DefaultKills;
    QTemporaryDir data;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QRandomGenerator random(20261207);

    QList<Shown> lastTwo; // the two last states shown before the kill, newest last
    int midWrite = 0;
    for (int round = 0; round <= count; ++round) {
        QProcess child;
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {Play, QString::number(20261207 + round)});
        QVERIFY(child.waitForStarted());

        QList<QByteArray> lines;
        QByteArray pending;
        const auto readLines = [&](int timeoutMs) {
            if (!child.canReadLine() && !child.waitForReadyRead(timeoutMs)) {
                return;
            }
            pending += child.readAll();
            qsizetype nl;
            while ((nl = pending.indexOf('\n')) >= 0) {
                lines << pending.left(nl);
                pending.remove(0, nl + 1);
            }
        };
        while (lines.isEmpty() && child.state() == QProcess::Running) {
            readLines(30000);
        }
        QVERIFY2(!lines.isEmpty() && lines.first().startsWith('R'), "the program did not come up");
        const std::optional<Shown> restored = parse(lines.first());
        QVERIFY(restored);
        if (round > 0) {
            QString why;
            QString whyBefore;
            const bool last = matches(*restored, lastTwo.last(), &why);
            const bool before = lastTwo.size() > 1 && matches(*restored, lastTwo.first(), &whyBefore);
            QVERIFY2(last || before,
                     qPrintable(QStringLiteral("after kill %1: %2 (or, against the state before: %3)")
                                    .arg(round)
                                    .arg(why, whyBefore)));
        }
        if (round == count) {
            child.kill();
            child.waitForFinished();
            break;
        }

        // Killed after a spread number of shown states; every third time a moment later, inside
        // the write the last change set off.
        const int target = 1 + int(random.bounded(40));
        while (lines.size() <= target && child.state() == QProcess::Running) {
            readLines(30000);
        }
        if (round % 3 == 1) {
            QTest::qSleep(int(random.bounded(6)));
            ++midWrite;
        }
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(30000));
        pending += child.readAll();
        for (const QByteArray& line : pending.split('\n')) {
            if (!line.isEmpty() && parse(line)) {
                lines << line;
            }
        }
        lastTwo.clear();
        for (qsizetype i = std::max<qsizetype>(1, lines.size() - 2); i < lines.size(); ++i) {
            const std::optional<Shown> s = parse(lines[i]);
            QVERIFY(s);
            lastTwo << *s;
        }
        if (lastTwo.isEmpty()) {
            lastTwo << *restored;
        }
    }
    qInfo("%d kills, %d of them a moment after a change", count, midWrite);
}

int main(int argc, char** argv) {
    if (argc >= 3 && QString::fromLocal8Bit(argv[1]) == Play) {
        return play(argc, argv, quint32(QByteArray(argv[2]).toUInt()));
    }
    QCoreApplication app(argc, argv);
    TestKillRestore test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_killrestore.moc"
