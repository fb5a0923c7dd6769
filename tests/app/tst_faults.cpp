// The program against a hostile world: garbled settings files, a save killed half-way, a settings
// folder that cannot be written, and no sound server, help or pictures at all.
//
// The binary doubles as the killed saver: started as "tst_faults save-child <folder>" it saves two
// big records in turn into <folder> for ever, writing one byte to stdout before each save.
#include "../scoreboard/boardfixture.h"
#include "../settings/settingstestutil.h"
#include "app/startup.h"
#include "options/frmoptions.h"
#include "options/optionsenvironment.h"
#include "support/logcapture.h"
#include "support/privaterecord.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <csignal>
#include <cstdio>
#include <set>
#include <unistd.h>

namespace {

using Id = SettingId;

const QString SaveChild = QStringLiteral("save-child");

bool isText(const SettingKey& key) {
    return std::holds_alternative<QString SettingsRecord::*>(key.field);
}

// A text kept as it was written; the league's name is one of a list.
bool takesAnyText(const SettingKey& key) {
    return isText(key) && key.id != Id::League;
}

// A record in which every value differs from its default, so a key that fell back shows.
SettingsRecord storedRecord(const QString& folder) {
    SettingsRecord r = DefaultSettings(QCoreApplication::applicationDirPath());
    int i = 0;
    for (const SettingKey& key : settingKeys()) {
        ++i;
        std::visit(
            [&](auto member) {
                using Member = decltype(member);
                if constexpr (std::is_same_v<Member, std::int32_t SettingsRecord::*>) {
                    r.*member = 0x010203 * i;
                } else if constexpr (std::is_same_v<Member, std::int16_t SettingsRecord::*>) {
                    r.*member = static_cast<std::int16_t>(40 + i); // codes of keys with no other use
                } else if constexpr (std::is_same_v<Member, QString SettingsRecord::*>) {
                    r.*member = folder + QStringLiteral("/stored-") + QLatin1String(key.key);
                } else if constexpr (std::is_same_v<Member, bool SettingsRecord::*>) {
                    r.*member = true;
                }
            },
            key.field);
    }
    r.NumLockForce = 2;
    r.LEDSelectedWidth = 3;
    r.LEDType = 1;
    r.GamePeriod = 1;
    r.ShotClockResetTime = 24;
    r.TeamSize = *Currency::fromText(u"31.5");
    // League rules within what the board can use.
    r.League = QStringLiteral("NBA");
    r.PeriodSeconds = 720;
    r.OvertimeSeconds = 300;
    r.ShortReset = 14;
    r.TimeoutsPerGame = 7;
    r.FoulsResetEachPeriod = true;
    r.ShotClockOff = true;
    return r;
}

// The keys that go back to their defaults when `garbled` cannot be read as a number.
std::set<Id> fallingBack(Id garbled) {
    if (garbled == Id::IsKeyCode) {
        return {}; // anything but "No" confirms the stored keys
    }
    // A key table without its first quick key is taken as never set up.
    std::set<Id> ids = garbled == Id::QScoreH1 ? settingstest::ResetWithScoreH1 : std::set<Id>{};
    ids.insert(garbled);
    return ids;
}

// A default as the field holds it.
QString defaultValueText(const SettingKey& key, const SettingsRecord& loaded) {
    const QString text = settingDefaultText(key, loaded, QCoreApplication::applicationDirPath());
    if (std::holds_alternative<Currency SettingsRecord::*>(key.field)) {
        return Currency::fromText(text)->toText();
    }
    if (isText(key) || std::holds_alternative<bool SettingsRecord::*>(key.field)) {
        return text;
    }
    return QString::number(*parseStoredNumber(text));
}

// What is written straight to the standard error (by C libraries), read back as lines.
class StderrCapture {
public:
    StderrCapture() {
        std::fflush(stderr);
        m_saved = ::dup(STDERR_FILENO);
        if (m_file.open()) {
            ::dup2(m_file.handle(), STDERR_FILENO);
        }
    }
    ~StderrCapture() { restore(); }
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    QStringList take() {
        restore();
        m_file.seek(0);
        return QString::fromLocal8Bit(m_file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

private:
    void restore() {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
        }
    }

    QTemporaryFile m_file;
    int m_saved = -1;
};

bool saveTo(const QString& folder, const SettingsRecord& record) {
    QSettingsStore store(folder);
    return SaveSettings(store, record);
}

// Two records the killed saver alternates between; big texts make each save take a while.
SettingsRecord bigRecord(char fill) {
    SettingsRecord r = DefaultSettings(QStringLiteral("/opt/board"));
    const QString text(256 * 1024, QLatin1Char(fill));
    r.TitleText = text + u'T';
    r.HomeText = text + u'H';
    r.VisitorText = text + u'V';
    r.HomePic = text + u'P';
    r.ScoreColor = fill;
    return r;
}

int runSaveChild(const QString& folder) {
    QSettingsStore store(folder);
    const SettingsRecord records[2] = {bigRecord('b'), bigRecord('a')};
    for (unsigned n = 0;; ++n) {
        const char progress = 'x';
        if (::write(STDOUT_FILENO, &progress, 1) != 1) {
            return 1; // the parent has gone
        }
        if (!SaveSettings(store, records[n % 2])) {
            return 2;
        }
    }
}

// Waits by spinning, so that the kill lands inside a save rather than on a timer's edge.
void busyFor(std::uint32_t rounds) {
    volatile std::uint32_t sink = 0;
    for (std::uint32_t i = 0; i < rounds; ++i) {
        sink = sink + i;
    }
}

// Plays a period on a board: the clock started, keys now and then, 50 ms refreshes.
void playPeriod(frmScoreBoard& board, ManualClock& clock, int refreshes) {
    QRandomGenerator random(7);
    QTest::keyClick(board.windowHandle(), Qt::Key_S);
    for (int step = 0; step < refreshes; ++step) {
        clock.advanceMs(50);
        board.RefreshTime();
        if (step % 100 == 50) {
            const Qt::Key keys[] = {Qt::Key_Insert, Qt::Key_Delete, Qt::Key_T, Qt::Key_B,
                                    Qt::Key_Left,   Qt::Key_F11,    Qt::Key_C, Qt::Key_F1};
            QTest::keyClick(board.windowHandle(), keys[random.bounded(int(std::size(keys)))]);
        }
        if (step % 20 == 0) {
            QCoreApplication::processEvents();
        }
    }
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void garbledKey_data();
    void garbledKey();
    void killedSaveLeavesAWholeFile();
    void staleEmptyLockDoesNotStallTheNextSave();
    void unwritableFolder();
    void nothingAround_data();
    void nothingAround();

private:
    std::unique_ptr<Startup> startBoard(ManualClock* clock, bool fakeBuzzer);
};

void TestFaults::init() {
    Settings = SettingsRecord();
}

void TestFaults::cleanup() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        delete window;
    }
    QCoreApplication::removePostedEvents(qApp, QEvent::Quit);
    setSettingsStore(nullptr);
}

std::unique_ptr<Startup> TestFaults::startBoard(ManualClock* clock, bool fakeBuzzer) {
    auto startup = std::make_unique<Startup>(QStringList{QStringLiteral("bypass")});
    givePrivateRecord(*startup);
    startup->boardEnvironment = [clock, fakeBuzzer] {
        BoardEnvironment env;
        env.clock = clock;
        env.buzzer = fakeBuzzer ? new FakeBuzzer : nullptr;
        env.timeOfDay = [] {
            return QTime(20, 15);
        };
        env.twelveHourClock = [] {
            return false;
        };
        return env;
    };
    startup->start();
    return startup;
}

void TestFaults::garbledKey_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("garbage");
    const QString megabyte(1024 * 1024, QLatin1Char('7'));
    for (const SettingKey& key : settingKeys()) {
        const bool wide = std::holds_alternative<std::int32_t SettingsRecord::*>(key.field);
        const QString tooLarge = wide ? QStringLiteral("2147483648") : QStringLiteral("32768");
        const std::pair<const char*, QString> rows[] = {
            {"not a number", QStringLiteral("12 apples")},
            {"too large", std::holds_alternative<Currency SettingsRecord::*>(key.field)
                              ? QStringLiteral("99999999999999999999")
                              : tooLarge},
            {"empty", QString()},
            {"a megabyte", megabyte},
        };
        for (const auto& [name, text] : rows) {
            QTest::addRow("%s %s", key.key, name) << int(key.id) << text;
        }
    }
}

void TestFaults::garbledKey() {
    QFETCH(int, id);
    QFETCH(QString, garbage);
    const SettingKey& garbled = settingKey(static_cast<Id>(id));

    // GIVEN a file holding a full record of non-default values, one of them garbled
    QTemporaryDir dir;
    const SettingsRecord stored = storedRecord(dir.path());
    {
        QSettingsStore file(dir.path());
        QVERIFY(SaveSettings(file, stored));
        QVERIFY(file.write(QLatin1String(SettingsApplication), QLatin1String(garbled.section),
                           QLatin1String(garbled.key), garbage));
    }
    setSettingsStore(std::make_unique<QSettingsStore>(dir.path()));

    // WHEN the program starts straight onto the board
    ManualClock clock;
    const std::unique_ptr<Startup> startup = startBoard(&clock, false);

    // THEN the board shows, the garbled key took its default and every other key kept its value
    QVERIFY(startup->board() && startup->board()->isVisible());
    const std::set<Id> fellBack = takesAnyText(garbled) ? std::set<Id>{} : fallingBack(garbled.id);
    for (const SettingKey& key : settingKeys()) {
        if (key.id == Id::IsKeyCode) {
            continue;
        }
        const QString expected = fellBack.contains(key.id) ? defaultValueText(key, Settings)
                                 : key.id == garbled.id    ? garbage
                                                           : storedText(stored, key);
        QVERIFY2(storedText(Settings, key) == expected,
                 qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(key.key),
                                                         storedText(Settings, key).left(40))));
    }
    // A garbled text reaches the board verbatim.
    if (garbled.id == Id::TitleText) {
        QCOMPARE(startup->board()->findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), garbage);
    }
    // The board still runs on whatever the keys now are.
    QTest::keyClick(startup->board()->windowHandle(), Qt::Key_F11);
    clock.advanceMs(1000);
    startup->board()->RefreshTime();
}

void TestFaults::killedSaveLeavesAWholeFile() {
    QTemporaryDir dir;
    const SettingsRecord old = bigRecord('a');
    const SettingsRecord next = bigRecord('b');
    QVERIFY(saveTo(dir.path(), old));
    const QString path = dir.filePath(QStringLiteral("Ravenmark.conf"));
    QRandomGenerator random(4242);
    int sawOld = 0;
    int sawNew = 0;
    int unattributedLocks = 0;
    for (int kill = 0; kill < 30; ++kill) {
        // GIVEN a saver that has started its (1 + kill % 4)-th save
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {SaveChild, dir.path()});
        QVERIFY(child.waitForStarted());
        const int saves = 1 + kill % 4;
        qint64 seen = 0;
        while (seen < saves) {
            if (child.bytesAvailable() == 0 && !child.waitForReadyRead(40000)) {
                QFile lock(path + QStringLiteral(".lock"));
                lock.open(QIODevice::ReadOnly);
                QFAIL(qPrintable(
                    QStringLiteral("kill %1: the saver stopped; lock file %2 bytes: %3; stderr: %4")
                        .arg(kill)
                        .arg(lock.size())
                        .arg(QString::fromLatin1(lock.readAll().toPercentEncoding()),
                             QString::fromLocal8Bit(child.readAllStandardError()))));
            }
            seen += child.read(saves - seen).size();
        }
        // WHEN it is killed at a spread moment of that save
        busyFor(random.bounded(2'000'000u) * (kill % 3));
        ::kill(pid_t(child.processId()), SIGKILL);
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        // A kill between creating QSettings' lock file and writing its owner into it leaves a lock
        // nobody can attribute; see staleEmptyLockDoesNotStallTheNextSave. Cleared here so that
        // every child starts alike.
        QFile lock(path + QStringLiteral(".lock"));
        if (lock.open(QIODevice::ReadOnly) && lock.readLine().trimmed().toLongLong() <= 0) {
            ++unattributedLocks;
            lock.remove();
        }

        // THEN the file is the old record or the new one, whole
        QVERIFY(QFileInfo(path).size() > 0);
        SettingsRecord loaded;
        LoadSettings(QSettingsStore(dir.path()), loaded, QStringLiteral("/opt/board"));
        QVERIFY2(loaded == old || loaded == next,
                 qPrintable(QStringLiteral("kill %1 left a torn file").arg(kill)));
        ++(loaded == old ? sawOld : sawNew);
    }
    qInfo("30 kills: %d left the old file, %d the new one, %d an empty lock file", sawOld, sawNew,
          unattributedLocks);
    QVERIFY(sawNew > 0);
}

void TestFaults::staleEmptyLockDoesNotStallTheNextSave() {
    // GIVEN the empty lock file a save killed right after creating it leaves behind
    QTemporaryDir dir;
    QVERIFY(saveTo(dir.path(), bigRecord('a')));
    QFile lock(dir.filePath(QStringLiteral("Ravenmark.conf.lock")));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    // Left by an earlier run: the operator opens the options again some time later.
    QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-5), QFileDevice::FileModificationTime));
    lock.close();

    // WHEN the next run saves, THEN its first save completes (the second one starts) promptly;
    // the watchdog is far beyond a save's length and well short of the lock's 30 s stale time
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {SaveChild, dir.path()});
    QVERIFY(child.waitForStarted());
    qint64 seen = 0;
    while (seen < 2 && (child.bytesAvailable() > 0 || child.waitForReadyRead(10000))) {
        seen += child.read(2 - seen).size();
    }
    child.kill();
    child.waitForFinished();
    QCOMPARE(seen, 2);
}

void TestFaults::unwritableFolder() {
    // GIVEN settings that live in a folder under a regular file, which nobody can create
    QTemporaryFile blocker;
    QVERIFY(blocker.open());
    const QString folder = blocker.fileName() + QStringLiteral("/sub");
    setSettingsStore(std::make_unique<QSettingsStore>(folder));
    ManualClock clock;
    const std::unique_ptr<Startup> startup = startBoard(&clock, true);
    QVERIFY(startup->board() && startup->board()->isVisible());

    // WHEN the operator changes the title and presses OK
    QtOptionsMessages messages;
    messages.setSilent(true);
    OptionsEnvironment env;
    env.messages = &messages;
    env.commit = &Startup::commitOptions;
    frmOptions dialog(Settings, env);
    dialog.show();
    dialog.findChild<QLineEdit*>(QStringLiteral("txtTitleText"))->setText(QStringLiteral("Cup Final"));
    LogCapture log;
    dialog.findChild<QPushButton*>(QStringLiteral("cmdOk"))->click();

    // THEN one warning names the file, one line is logged, and the new settings are in force
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY(!messages.shown().first().question);
    QVERIFY2(messages.shown().first().text.contains(folder + QStringLiteral("/Ravenmark.conf")),
             qPrintable(messages.shown().first().text));
    QCOMPARE(log.linesWithCategory().filter(QStringLiteral("ravenmark.settings")).size(), 1);
    QCOMPARE(Settings.TitleText, QStringLiteral("Cup Final"));
    frmScoreBoard* board = startup->board();
    board->applySettings();
    QCOMPARE(board->findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), QStringLiteral("Cup Final"));

    // AND the board keeps running
    QTest::keyClick(board->windowHandle(), Qt::Key_S);
    clock.advanceMs(2000);
    board->RefreshTime();
    QCOMPARE(board->teGame().seconds(), Currency::fromInt(598));
    QVERIFY(QFileInfo(blocker.fileName()).isFile());
}

void TestFaults::nothingAround_data() {
    QTest::addColumn<QString>("buzzer"); // "missing" or "corrupt"
    QTest::addColumn<bool>("options");   // opened and cancelled once during the period
    QTest::newRow("missing horn") << "missing" << false;
    QTest::newRow("corrupt horn") << "corrupt" << false;
    QTest::newRow("missing horn, options") << "missing" << true;
    QTest::newRow("corrupt horn, options") << "corrupt" << true;
}

void TestFaults::nothingAround() {
    QFETCH(QString, buzzer);
    QFETCH(bool, options);
    // GIVEN no sound server (see main), no keyboard lights (offscreen), no help file beside the
    // program, a missing and two corrupt pictures and a missing or corrupt horn
    QTemporaryDir dir;
    const auto corrupt = [&](const QString& name) {
        QFile file(dir.filePath(name));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(name.endsWith(u".png") ? QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR garbage", 24)
                                              : QByteArray("RIFF\x10\0\0\0WAVEjunkjunk", 20));
        }
        return file.fileName();
    };
    SettingsRecord record = DefaultSettings(QCoreApplication::applicationDirPath());
    record.HomePic = dir.filePath(QStringLiteral("missing-home.png"));
    record.VisitorPic = corrupt(QStringLiteral("visitor.png"));
    record.BoardPic = corrupt(QStringLiteral("board.png"));
    record.BuzzerFile = buzzer == u"missing" ? dir.filePath(QStringLiteral("missing-horn.wav"))
                                             : corrupt(QStringLiteral("horn.wav"));
    record.NumLockForce = 1;
    QVERIFY(saveTo(dir.path(), record));
    setSettingsStore(std::make_unique<QSettingsStore>(dir.path()));
    const QStringList badFiles{record.HomePic, record.VisitorPic, record.BoardPic, record.BuzzerFile};

    // WHEN the program runs a whole period of ten minutes
    LogCapture log;
    StderrCapture stderrLines;
    ManualClock clock;
    const std::unique_ptr<Startup> startup = startBoard(&clock, false);
    frmScoreBoard* board = startup->board();
    QVERIFY(board && board->isVisible());
    if (options) {
        QTimer::singleShot(0, qApp, [] {
            if (auto* dialog = qobject_cast<frmOptions*>(QApplication::activeModalWidget())) {
                dialog->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
            }
        });
        QTest::keyClick(board->windowHandle(), Qt::Key_F2);
    }
    board->resize(900, 700);
    playPeriod(*board, clock, 10 * 60 * 20 + 20);
    const QStringList raw = stderrLines.take();

    // THEN the period ran out, and each bad file left at most one line
    QCOMPARE(board->teGame().seconds(), Currency());
    QVERIFY(!board->teGame().running());
    const QStringList lines = log.linesWithCategory();
    QStringList repeated;
    for (const QString& file : badFiles) {
        if (lines.filter(file).size() > 1) {
            repeated << file;
        }
    }
    // Besides the files: at most a word each that NumLock and the sound server are out of reach.
    QVERIFY2(lines.size() <= badFiles.size() * (options ? 2 : 1) + 2, qPrintable(lines.join(u'\n')));
    QCOMPARE(repeated, QStringList());
    // Nothing of the decoders' own chatter beyond a line per damaged file.
    const QStringList decoder = raw.filter(QStringLiteral("libpng"));
    qInfo("%lld lines from the picture decoder, %lld logged", qint64(decoder.size()), qint64(lines.size()));
    QVERIFY2(decoder.size() <= 2,
             qPrintable(QStringLiteral("%1 lines: %2").arg(decoder.size()).arg(decoder.value(0))));
}

int main(int argc, char** argv) {
    if (argc == 3 && QLatin1String(argv[1]) == SaveChild) {
        QCoreApplication app(argc, argv);
        return runSaveChild(QString::fromLocal8Bit(argv[2]));
    }
    // No sound server anywhere: a socket that does not exist, set before any device connects.
    qputenv("PULSE_SERVER", "unix:/nonexistent/ravenmark-no-pulse");
    QApplication app(argc, argv);
    TestFaults test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_faults.moc"
