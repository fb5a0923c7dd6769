// A whole game on one board: two hours of refreshes on a hand-moved clock and a seeded stream of
// the operator's keys through the window, with the game clock checked against a model of its own
// after every refresh and the process's memory watched from start to end.
//
// RAVENMARK_SOAK_REFRESHES shortens (or lengthens) the game; the default is two hours at 50 ms.
#include "../scoreboard/boardfixture.h"
#include "components/clockpanel.h"
#include "options/frmoptions.h"
#include "options/optionsenvironment.h"

#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <unistd.h>

namespace {

constexpr int RefreshMs = 50;
constexpr std::int64_t UnitsPerRefresh = RefreshMs * Currency::Scale / 1000;
constexpr int DefaultRefreshes = 2 * 60 * 60 * 1000 / RefreshMs;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool AddressSanitizer = true;
#else
constexpr bool AddressSanitizer = false;
#endif
#else
constexpr bool AddressSanitizer = false;
#endif

qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = statm.readAll().simplified().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : -1;
}

int refreshCount() {
    bool ok = false;
    const int n = qEnvironmentVariableIntValue("RAVENMARK_SOAK_REFRESHES", &ok);
    return ok && n > 0 ? n : DefaultRefreshes;
}

// What the referee expects of the game clock: its time in units, whether it runs, what the reset
// key puts back, and which read-out the clock field shows.
struct ClockModel {
    std::int64_t units = 600 * Currency::Scale;
    std::int64_t resetUnits = 600 * Currency::Scale;
    bool running = false;
    bool timeOfDay = false;

    void advance() {
        if (running) {
            units = std::max<std::int64_t>(0, units - UnitsPerRefresh);
        }
    }
    // Each refresh stops a clock it finds at zero.
    void refreshed() {
        if (units == 0) {
            running = false;
        }
    }
    // What the field shows: the seconds begun above 59.9 s, tenths below, the time of day when
    // switched. Here the clock only ever holds whole twentieths of a second, so a second begun is
    // simply the next whole one up.
    float caption(QTime now) const {
        if (timeOfDay) {
            return float(now.hour() * 60 + now.minute());
        }
        if (units > 599000) {
            return float((units + Currency::Scale - 1) / Currency::Scale);
        }
        return float(Currency::fromUnits(units).toDouble());
    }
};

Qt::Key digitKey(int digit) {
    return static_cast<Qt::Key>(Qt::Key_0 + digit);
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private slots:
    void twoHourGame();
};

void TestSoak::twoHourGame() {
    BoardFixture f;
    frmScoreBoard& board = *f.board;
    auto* clock = f.field<ClockPanel>("clkGame");
    QVERIFY(clock);
    const QList<QWidget*> fields = board.tabOrder();
    QVERIFY(fields.size() > 2);

    // F2 opens the one options dialog, which the operator always cancels.
    QtOptionsMessages messages;
    messages.setSilent(true);
    std::unique_ptr<frmOptions> options;
    int optionsOpened = 0;
    connect(&board, &frmScoreBoard::optionsRequested, this, [&] {
        if (!options) {
            OptionsEnvironment env;
            env.messages = &messages;
            options = std::make_unique<frmOptions>(Settings, env);
        }
        options->load(Settings);
        QTimer::singleShot(0, qApp, [&] {
            auto* dialog = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        });
        options->exec();
        ++optionsOpened;
    });

    const QList<Qt::Key> quickKeys{Qt::Key_Insert, Qt::Key_Home,     Qt::Key_PageUp, Qt::Key_Delete,
                                   Qt::Key_End,    Qt::Key_PageDown, Qt::Key_F11,    Qt::Key_F12,
                                   Qt::Key_P,      Qt::Key_F7,       Qt::Key_F8,     Qt::Key_B};
    const QList<QSize> sizes{{640, 480}, {1024, 768}, {800, 600}, {1280, 720}, {500, 400}};

    ClockModel model;
    Possession possession = Possession::None;
    QRandomGenerator random(20261207);
    const int refreshes = refreshCount();
    const int warmUp = std::min(refreshes / 10, 12000);
    qint64 rssWarm = residentBytes();
    const qint64 rssStart = rssWarm;
    int keys = 0;
    int runOuts = 0;

    for (int step = 0; step < refreshes; ++step) {
        f.clock.advanceMs(RefreshMs);
        model.advance();
        const bool wasRunning = model.running;
        board.RefreshTime();
        model.refreshed();
        if (wasRunning && !model.running) {
            ++runOuts;
        }
        // What the audience sees is what the refresh put up.
        if (clock->caption() != model.caption(f.timeOfDay) || board.ClockTime() != model.timeOfDay) {
            QFAIL(qPrintable(QStringLiteral("refresh %1: field shows %2, expected %3")
                                 .arg(step)
                                 .arg(clock->caption())
                                 .arg(model.caption(f.timeOfDay))));
        }

        // About one key a second of game time.
        if (random.bounded(20) == 0) {
            ++keys;
            const int what = random.bounded(100);
            if (what < 30) {
                f.key(quickKeys[random.bounded(quickKeys.size())]);
            } else if (what < 42) {
                f.key(Qt::Key_S);
                model.running = !model.running;
            } else if (what < 46) {
                f.key(Qt::Key_R);
                model.running = false;
                model.units = model.resetUnits;
            } else if (what < 54) {
                f.key(Qt::Key_T);
            } else if (what < 57) {
                f.key(Qt::Key_C);
                model.timeOfDay = !model.timeOfDay;
            } else if (what < 70) {
                const Qt::Key arrow =
                    std::array{Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down}[random.bounded(4)];
                f.key(arrow);
                if (arrow == Qt::Key_Left) {
                    possession = possession == Possession::Home ? Possession::None : Possession::Home;
                } else if (arrow == Qt::Key_Right) {
                    possession = possession == Possession::Visitor ? Possession::None : Possession::Visitor;
                } else {
                    possession = Possession::None;
                }
            } else if (what < 78) {
                // A time typed into the game clock: minutes "." two digits of seconds, Enter.
                fields.first()->setFocus(Qt::OtherFocusReason);
                const int minutes = random.bounded(12);
                const int seconds = random.bounded(60);
                f.key(Qt::Key_Space);
                f.key(digitKey(minutes / 10));
                f.key(digitKey(minutes % 10));
                f.key(Qt::Key_Period);
                f.key(digitKey(seconds / 10));
                f.key(digitKey(seconds % 10));
                f.key(Qt::Key_Return);
                model.units = model.resetUnits = std::int64_t(minutes * 60 + seconds) * Currency::Scale;
                model.refreshed();
            } else if (what < 92) {
                // Digits, a clear or an Enter into any other field.
                fields[1 + random.bounded(fields.size() - 1)]->setFocus(Qt::OtherFocusReason);
                for (int n = random.bounded(1, 4); n > 0; --n) {
                    f.key(digitKey(random.bounded(10)));
                }
                f.key(random.bounded(2) == 0 ? Qt::Key_Return : Qt::Key_Backspace);
            } else if (what < 98) {
                board.resize(sizes[random.bounded(sizes.size())]);
            } else {
                f.key(Qt::Key_F2);
            }
        }
        if (f.buzzer->plays > 0 && board.BuzzerPlaying()) {
            f.buzzer->finish();
        }
        if (step % 20 == 0) {
            QCoreApplication::processEvents(); // painting, resizes, deferred deletes
        }

        const Currency shown = board.teGame().seconds();
        if (shown.units() != model.units || board.teGame().running() != model.running ||
            board.WhoPoss() != possession) {
            QFAIL(qPrintable(
                QStringLiteral("refresh %1: game clock %2 units %3, expected %4 %5; possession %6, "
                               "expected %7")
                    .arg(step)
                    .arg(shown.units())
                    .arg(board.teGame().running() ? "running" : "stopped")
                    .arg(model.units)
                    .arg(model.running ? "running" : "stopped")
                    .arg(int(board.WhoPoss()))
                    .arg(int(possession))));
        }
        if (step == warmUp) {
            rssWarm = residentBytes();
        }
    }
    QCoreApplication::processEvents();
    const qint64 rssEnd = residentBytes();

    qInfo("%d refreshes, %d keys, %d options dialogs, %d game clock run-outs", refreshes, keys, optionsOpened,
          runOuts);
    qInfo("RSS: start %.1f MB, after warm-up %.1f MB, end %.1f MB", rssStart / 1048576.0, rssWarm / 1048576.0,
          rssEnd / 1048576.0);
    // The stream must have exercised what it claims to.
    QVERIFY(keys > refreshes / 40);
    if (refreshes >= DefaultRefreshes / 4) {
        QVERIFY(optionsOpened > 0);
        QVERIFY(runOuts > 0);
    }
    QVERIFY(rssEnd > 0);
    // The address sanitizer holds freed memory back on purpose; it reports leaks itself instead.
    if (!AddressSanitizer) {
        QVERIFY2(rssEnd - rssWarm < 20 * 1048576,
                 qPrintable(QStringLiteral("memory grew by %1 MB").arg((rssEnd - rssWarm) / 1048576.0)));
    }
}

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
