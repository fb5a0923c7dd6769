#include "settings/settings.h"
#include "settings/settingsnotifier.h"
#include "settings/settingsstore.h"
#include "settingstestutil.h"
#include "support/logcapture.h"
#include "support/testfiles.h"
#include "support/unprivileged.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>

namespace {

using namespace settingstest;

// A file store that counts how often it hands a file to QSettings.
class CountingStore : public QSettingsStore {
public:
    using QSettingsStore::QSettingsStore;
    mutable int opens = 0;

protected:
    std::unique_ptr<QSettings> openSettings(const QString& application) const override {
        ++opens;
        return QSettingsStore::openSettings(application);
    }
};

// A stored text for every key that no default has, different for each key.
QString changedText(const SettingKey& key) {
    const int n = static_cast<int>(key.id);
    // Rules the board can only use within their range, and a league it knows.
    switch (key.id) {
    case SettingId::League:
        return QStringLiteral("NBA");
    case SettingId::ShortReset:
        return QStringLiteral("14");
    case SettingId::TimeoutsPerGame:
        return QStringLiteral("7");
    default:
        break;
    }
    return std::visit(
        [&](auto member) -> QString {
            using Member = decltype(member);
            if constexpr (std::is_same_v<Member, std::monostate>) {
                return QStringLiteral("Yes");
            } else if constexpr (std::is_same_v<Member, QString SettingsRecord::*>) {
                return QStringLiteral("Changed %1").arg(QLatin1StringView(key.key));
            } else if constexpr (std::is_same_v<Member, Currency SettingsRecord::*>) {
                return QStringLiteral("31.0625");
            } else if constexpr (std::is_same_v<Member, bool SettingsRecord::*>) {
                return QStringLiteral("Yes"); // every yes/no defaults to "No"
            } else {
                return QString::number(1000 + n);
            }
        },
        key.field);
}

MemorySettingsStore storeWithEveryValueChanged(std::optional<SettingId> except = std::nullopt) {
    MemorySettingsStore store;
    for (const SettingKey& key : settingKeys()) {
        if (key.id != except) {
            put(store, key.id, changedText(key));
        }
    }
    return store;
}

SettingsRecord extremes() {
    SettingsRecord r = DefaultSettings(ExeDir);
    r.FormBack = std::numeric_limits<std::int32_t>::min();
    r.LEDSelected = std::numeric_limits<std::int32_t>::max();
    r.TimeColor = -1;
    r.LEDSelectedWidth = std::numeric_limits<std::int16_t>::max();
    r.QScoreH1 = -1;
    r.QTOLV1 = std::numeric_limits<std::int16_t>::min();
    r.NumLockForce = 2;
    r.TitleText = QString();
    r.HomeText = QStringLiteral("  Hawks, \"the\" best; [really] = yes\n\\ ");
    r.VisitorText = QStringLiteral("@Variant(\\0\\0\\0\\x7f)");
    r.TeamSize = Currency::fromUnits(-1);
    r.BuzzerFile = QString::fromUtf8("/home/zoë/sounds/horn #2.wav");
    r.HomePic = QStringLiteral("C:\\Pictures\\home.bmp");
    r.LEDType = -1;
    r.GamePeriod = 1;
    return r;
}

QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

enum class NotAFile { Pipe, Folder, LinkToPipe };

} // namespace

Q_DECLARE_METATYPE(SettingsRecord)
Q_DECLARE_METATYPE(NotAFile)

class TestSettingsSave : public QObject {
    Q_OBJECT

private slots:
    void init();

    void roundTripThroughTheFile_data();
    void roundTripThroughTheFile();
    void defaultsAreWhatAnEmptyStoreLoads_data();
    void defaultsAreWhatAnEmptyStoreLoads();
    void garbageTakesThatKeysDefaultOnly_data();
    void garbageTakesThatKeysDefaultOnly();
    void oneOpenPerLoadOrSave_data();
    void oneOpenPerLoadOrSave();
    void pathThatIsNotAFileIsNeverOpened_data();
    void pathThatIsNotAFileIsNeverOpened();
    void problemFileLoadsWhatItCan_data();
    void problemFileLoadsWhatItCan();
    void failedSaveKeepsTheOldFile_data();
    void failedSaveKeepsTheOldFile();
    void saveUnderAFileFails();
    void commitAnnouncesChanges_data();
    void commitAnnouncesChanges();
    void processWideLoadAnnounces();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsSave::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSettingsSave::roundTripThroughTheFile_data() {
    QTest::addColumn<SettingsRecord>("record");

    QTest::newRow("defaults") << DefaultSettings(ExeDir);
    QTest::newRow("defaults, folder with a trailing separator") << DefaultSettings(QStringLiteral("/srv/b/"));
    QTest::newRow("every value changed") << load(storeWithEveryValueChanged());
    QTest::newRow("extremes and awkward texts") << extremes();
}

void TestSettingsSave::roundTripThroughTheFile() {
    QFETCH(SettingsRecord, record);
    const LogCapture log("ravenmark.settings");

    // GIVEN a record saved to a settings file
    QSettingsStore store(m_dir->path());
    QVERIFY(SaveSettings(store, record));

    // WHEN a new store loads the file (from another executable folder: nothing may come
    // from a default)
    const SettingsRecord loaded = load(QSettingsStore(m_dir->path()), QStringLiteral("/elsewhere"));

    // THEN every key reads back as it was saved, and the file holds the confirmation
    for (const SettingKey& key : settingKeys()) {
        QVERIFY2(storedText(loaded, key) == storedText(record, key), key.key);
    }
    QCOMPARE(loaded, record);
    const QSettings file(m_dir->filePath(App + ".conf"), QSettings::IniFormat);
    QCOMPARE(file.allKeys().size(), qsizetype(settingKeys().size()));
    QCOMPARE(file.value("KeySettings/IsKeyCode").toString(), QStringLiteral("Yes"));
    QCOMPARE(log.lines(), QStringList());
}

void TestSettingsSave::defaultsAreWhatAnEmptyStoreLoads_data() {
    QTest::addColumn<QString>("executableDir");

    QTest::newRow("usual folder") << ExeDir;
    QTest::newRow("trailing separator") << QStringLiteral("/srv/board/");
    QTest::newRow("no folder") << QString();
}

void TestSettingsSave::defaultsAreWhatAnEmptyStoreLoads() {
    QFETCH(QString, executableDir);

    const SettingsRecord defaults = DefaultSettings(executableDir);
    QCOMPARE(defaults, load(MemorySettingsStore(), executableDir));
    QCOMPARE(defaults.LEDSelected, defaults.FormBack);
    QCOMPARE(defaults.BuzzerFile,
             QDir::toNativeSeparators(executableDir) + QDir::separator() + QStringLiteral("buzzer.wav"));
}

void TestSettingsSave::garbageTakesThatKeysDefaultOnly_data() {
    QTest::addColumn<SettingId>("id");
    QTest::addColumn<QString>("garbage");

    const QString megabyte = QString(1 << 20, u'7') + u'x';
    for (const SettingKey& key : settingKeys()) {
        const auto tooLarge = std::visit(
            [](auto member) -> QString {
                using Member = decltype(member);
                if constexpr (std::is_same_v<Member, std::int16_t SettingsRecord::*>) {
                    return QStringLiteral("32768");
                } else if constexpr (std::is_same_v<Member, std::int32_t SettingsRecord::*>) {
                    return QStringLiteral("2147483648");
                } else if constexpr (std::is_same_v<Member, Currency SettingsRecord::*>) {
                    return QStringLiteral("922337203685478"); // beyond 64 bits of ten-thousandths
                } else {
                    return QString(); // texts take any text
                }
            },
            key.field);
        if (tooLarge.isNull()) {
            continue;
        }
        QTest::addRow("%s: not a number", key.key) << key.id << QStringLiteral("twelve");
        QTest::addRow("%s: too large", key.key) << key.id << tooLarge;
        QTest::addRow("%s: empty", key.key) << key.id << QStringLiteral("");
        QTest::addRow("%s: a megabyte", key.key) << key.id << megabyte;
    }
}

void TestSettingsSave::garbageTakesThatKeysDefaultOnly() {
    QFETCH(SettingId, id);
    QFETCH(QString, garbage);

    // GIVEN a store with a usable, non-default value for every key, and garbage in one
    const SettingsRecord stored = load(storeWithEveryValueChanged());
    MemorySettingsStore store = storeWithEveryValueChanged();
    put(store, id, garbage);

    // WHEN it loads
    const SettingsRecord loaded = load(store);

    // THEN that key loads as if it were not stored at all, which is not what was stored ...
    const SettingsRecord absent = load(storeWithEveryValueChanged(id));
    QCOMPARE(textOf(loaded, id), textOf(absent, id));
    QVERIFY(textOf(loaded, id) != textOf(stored, id));
    // ... and every other key keeps its stored value (an absent QScoreH1 also sends the
    // main keys and the score and foul quick keys back to their defaults)
    for (const SettingKey& key : settingKeys()) {
        if (key.id == id || (id == SettingId::QScoreH1 && ResetWithScoreH1.contains(key.id))) {
            continue;
        }
        QVERIFY2(storedText(loaded, key) == storedText(stored, key), key.key);
    }
}

void TestSettingsSave::oneOpenPerLoadOrSave_data() {
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<bool>("save");

    QTest::newRow("load, no file") << false << false;
    QTest::newRow("load, every key stored") << true << false;
    QTest::newRow("save, no file") << false << true;
    QTest::newRow("save over every key stored") << true << true;
}

void TestSettingsSave::oneOpenPerLoadOrSave() {
    QFETCH(bool, fileExists);
    QFETCH(bool, save);

    if (fileExists) {
        QSettingsStore earlier(m_dir->path());
        QVERIFY(SaveSettings(earlier, extremes()));
    }
    CountingStore store(m_dir->path());
    if (save) {
        QVERIFY(SaveSettings(store, extremes()));
    } else {
        QCOMPARE(load(store), fileExists ? extremes() : DefaultSettings(ExeDir));
    }
    QCOMPARE(store.opens, 1);
}

void TestSettingsSave::pathThatIsNotAFileIsNeverOpened_data() {
    QTest::addColumn<NotAFile>("kind");

    QTest::newRow("pipe") << NotAFile::Pipe;
    QTest::newRow("folder") << NotAFile::Folder;
    QTest::newRow("link to a pipe") << NotAFile::LinkToPipe;
}

void TestSettingsSave::pathThatIsNotAFileIsNeverOpened() {
    QFETCH(NotAFile, kind);

    // GIVEN a settings path that is a pipe (opening it would wait for a writer for ever),
    // a folder, or a link to a pipe
    const QString path = m_dir->filePath(App + ".conf");
    const QString pipe = kind == NotAFile::LinkToPipe ? m_dir->filePath("pipe") : path;
    switch (kind) {
    case NotAFile::Pipe:
    case NotAFile::LinkToPipe:
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        if (kind == NotAFile::LinkToPipe) {
            QVERIFY(QFile::link(pipe, path));
        }
        break;
    case NotAFile::Folder:
        QVERIFY(QDir(m_dir->path()).mkdir(App + ".conf"));
        break;
    }
    CountingStore store(m_dir->path());

    // WHEN the settings load  THEN they are the defaults, the path was never given to
    // QSettings, and one line in the log names it
    {
        const LogCapture log("ravenmark.settings");
        QCOMPARE(load(store), DefaultSettings(ExeDir));
        QCOMPARE(log.lines().size(), 1);
        QVERIFY2(log.lines().first().contains(path), qPrintable(log.lines().first()));
    }
    // WHEN the settings are saved  THEN the save fails, with one line, and the path is as it was
    {
        const LogCapture log("ravenmark.settings");
        QVERIFY(!SaveSettings(store, extremes()));
        QCOMPARE(log.lines().size(), 1);
        QVERIFY2(log.lines().first().contains(path), qPrintable(log.lines().first()));
    }
    QCOMPARE(store.opens, 0);
    QCOMPARE(QFileInfo(path).isDir(), kind == NotAFile::Folder);
    QVERIFY(!QFileInfo(path).isFile());
}

void TestSettingsSave::problemFileLoadsWhatItCan_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<QString>("homeText");
    QTest::addColumn<int>("logLines");

    QTest::newRow("clean file: silent")
        << QByteArray("[TextSettings]\nHomeText=Hawks\n") << true << "Hawks" << 0;
    QTest::newRow("garbled line: the rest still loads")
        << QByteArray("[TextSettings]\nnot a setting\nHomeText=Hawks\n") << true << "Hawks" << 1;
    QTest::newRow("no read permission: defaults")
        << QByteArray("[TextSettings]\nHomeText=Hawks\n") << false << "Home" << 1;
}

void TestSettingsSave::problemFileLoadsWhatItCan() {
    QFETCH(QByteArray, content);
    QFETCH(bool, readable);
    QFETCH(QString, homeText);
    QFETCH(int, logLines);

    if (!readable) {
        RUN_UNPRIVILEGED_WHEN_ROOT();
    }
    const QString path = m_dir->filePath(App + ".conf");
    QVERIFY(!testfiles::write(path, content).isEmpty());
    if (!readable) {
        QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    }

    const LogCapture log("ravenmark.settings");
    const SettingsRecord loaded = load(QSettingsStore(m_dir->path()));

    QCOMPARE(loaded.HomeText, homeText);
    QCOMPARE(loaded.VisitorText, QStringLiteral("Visitor"));
    QCOMPARE(log.lines().size(), logLines);
    if (logLines > 0) {
        QVERIFY2(log.lines().first().contains(path), qPrintable(log.lines().first()));
    }
}

void TestSettingsSave::failedSaveKeepsTheOldFile_data() {
    QTest::addColumn<QByteArray>("oldFile");
    QTest::addColumn<bool>("folderWritable");
    QTest::addColumn<bool>("saved");

    const QByteArray clean = "[TextSettings]\nHomeText=Hawks\n\n[Extra]\nKept=1\n";
    // A line without "=" makes QSettings report a format error, which it keeps for good.
    const QByteArray garbled = "[TextSettings]\nnot a setting\nHomeText=Hawks\n\n[Extra]\nKept=1\n";
    QTest::newRow("clean file") << clean << true << true;
    QTest::newRow("garbled file") << garbled << true << true;
    QTest::newRow("clean file, folder not writable") << clean << false << false;
    QTest::newRow("garbled file, folder not writable") << garbled << false << false;
}

void TestSettingsSave::failedSaveKeepsTheOldFile() {
    QFETCH(QByteArray, oldFile);
    QFETCH(bool, folderWritable);
    QFETCH(bool, saved);

    if (!folderWritable) {
        RUN_UNPRIVILEGED_WHEN_ROOT();
    }
    const QString path = m_dir->filePath(App + ".conf");
    QVERIFY(!testfiles::write(path, oldFile).isEmpty());
    if (!folderWritable) {
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner));
    }

    const LogCapture log("ravenmark.settings");
    QSettingsStore store(m_dir->path());
    const bool result = SaveSettings(store, extremes());
    QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(result, saved);
    if (saved) {
        // Keys that are not ours survive a save.
        QCOMPARE(load(QSettingsStore(m_dir->path())), extremes());
        QCOMPARE(QSettings(path, QSettings::IniFormat).value("Extra/Kept").toString(), QStringLiteral("1"));
    } else {
        QCOMPARE(contentOf(path), oldFile);
        QCOMPARE(log.lines().size(), 1);
        QVERIFY2(log.lines().first().contains(path), qPrintable(log.lines().first()));
    }
}

void TestSettingsSave::saveUnderAFileFails() {
    // GIVEN a settings folder that can never be made: its parent is a file
    const QString blocker = m_dir->filePath("file");
    QVERIFY(!testfiles::write(blocker, "not a folder").isEmpty());
    const QString folder = blocker + QStringLiteral("/sub");

    // WHEN the settings are saved there  THEN the save fails with one line, touching nothing
    const LogCapture log("ravenmark.settings");
    QSettingsStore store(folder);
    QVERIFY(!SaveSettings(store, extremes()));
    QCOMPARE(log.lines().size(), 1);
    QVERIFY2(log.lines().first().contains(folder), qPrintable(log.lines().first()));
    QCOMPARE(contentOf(blocker), QByteArray("not a folder"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("file")});
}

void TestSettingsSave::commitAnnouncesChanges_data() {
    QTest::addColumn<bool>("changeSomething");

    QTest::newRow("same record") << false;
    QTest::newRow("one field differs") << true;
}

void TestSettingsSave::commitAnnouncesChanges() {
    QFETCH(bool, changeSomething);

    CommitSettings(DefaultSettings(ExeDir));
    QSignalSpy changed(&settingsChanges(), &SettingsNotifier::changed);
    SettingsRecord next = DefaultSettings(ExeDir);
    if (changeSomething) {
        next.HomeText = QStringLiteral("Ravens");
    }
    // The listener sees the new record already in place.
    QString seen;
    const auto connection =
        connect(&settingsChanges(), &SettingsNotifier::changed, this, [&] { seen = Settings.HomeText; });

    CommitSettings(next);
    disconnect(connection);

    QCOMPARE(changed.size(), changeSomething ? 1 : 0);
    QCOMPARE(Settings, next);
    QCOMPARE(seen, changeSomething ? QStringLiteral("Ravens") : QString());
}

void TestSettingsSave::processWideLoadAnnounces() {
    CommitSettings(SettingsRecord());
    auto store = std::make_unique<MemorySettingsStore>();
    put(*store, SettingId::VisitorText, QStringLiteral("Owls"));
    setSettingsStore(std::move(store));
    QSignalSpy changed(&settingsChanges(), &SettingsNotifier::changed);

    LoadSettings();
    setSettingsStore(nullptr);

    QCOMPARE(changed.size(), 1);
    QCOMPARE(Settings.VisitorText, QStringLiteral("Owls"));
}

QTEST_GUILESS_MAIN(TestSettingsSave)
#include "tst_settingssave.moc"
