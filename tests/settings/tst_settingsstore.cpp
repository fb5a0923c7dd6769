#include "settings/settingsstore.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString App = QStringLiteral("Ravenmark");
}

class TestSettingsStore : public QObject {
    Q_OBJECT

private slots:
    void init();
    void textSurvivesTheFile_data();
    void textSurvivesTheFile();
    void readingNeverCreatesAKey();
    void sectionsAreGroupsOfTheIniFile();
    void handEditedListReadsAsText();
    void applicationsKeepSeparateFiles();
    void defaultLocationIsPerUserConfig();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestSettingsStore::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestSettingsStore::textSurvivesTheFile_data() {
    QTest::addColumn<QString>("text");

    QTest::newRow("number") << "4210752";
    QTest::newRow("leading zeros stay text") << "0035";
    QTest::newRow("negative") << "-1";
    QTest::newRow("empty text") << "";
    QTest::newRow("blanks around") << "  Home  ";
    QTest::newRow("comma") << "Final, Game 7";
    QTest::newRow("Windows path") << "C:\\Program Files\\Ravenmark\\buzzer.wav";
    QTest::newRow("looks like a variant") << "@Variant(\\0\\0\\0\\x7f)";
    QTest::newRow("looks like invalid") << "@Invalid()";
    QTest::newRow("INI syntax") << "[KeySettings]\nIsKeyCode=Yes ; no";
    QTest::newRow("non-Latin") << QString::fromUtf8("Zürich — 東京");
    QTest::newRow("true stays text") << "true";
}

void TestSettingsStore::textSurvivesTheFile() {
    QFETCH(QString, text);

    QSettingsStore(m_dir->path())
        .write(App, QStringLiteral("TextSettings"), QStringLiteral("TitleText"), text);

    // Kept as text: not turned into a number or a flag on the way.
    QSettings file(m_dir->filePath(App + ".conf"), QSettings::IniFormat);
    QCOMPARE(file.value("TextSettings/TitleText").typeId(), QMetaType::QString);
    const QString read =
        QSettingsStore(m_dir->path())
            .read(App, QStringLiteral("TextSettings"), QStringLiteral("TitleText"), QStringLiteral("absent"));
    QCOMPARE(read, text);
}

void TestSettingsStore::readingNeverCreatesAKey() {
    QSettingsStore store(m_dir->path());

    // GIVEN no file  WHEN keys are read  THEN each gives its default and no file appears
    QCOMPARE(store.read(App, "KeySettings", "IsKeyCode", "No"), QStringLiteral("No"));
    QCOMPARE(store.read(App, "ColorSettings", "FormBack", "4210752"), QStringLiteral("4210752"));
    QVERIFY(!QFile::exists(store.location(App)));

    // GIVEN one stored key  WHEN another is read  THEN the file still holds only the one
    store.write(App, "KeySettings", "IsKeyCode", "Yes");
    QCOMPARE(store.read(App, "KeySettings", "ClearKey", "8"), QStringLiteral("8"));
    QCOMPARE(QSettings(store.location(App), QSettings::IniFormat).allKeys(),
             QStringList{QStringLiteral("KeySettings/IsKeyCode")});
}

void TestSettingsStore::sectionsAreGroupsOfTheIniFile() {
    QSettingsStore store(m_dir->path());
    store.write(App, "ColorSettings", "FormBack", "255");
    store.write(App, "KeySettings", "BuzzerKey", "66");

    QFile file(store.location(App));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString content = QString::fromUtf8(file.readAll());
    QVERIFY2(content.contains("[ColorSettings]\nFormBack=255\n"), qPrintable(content));
    QVERIFY2(content.contains("[KeySettings]\nBuzzerKey=66\n"), qPrintable(content));
}

void TestSettingsStore::handEditedListReadsAsText() {
    // QSettings reads an unquoted comma as a list; the store hands back text.
    QFile file(m_dir->filePath(App + ".conf"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Text));
    file.write("[PicSettings]\nHomePic=/pics/a, b.png\n");
    file.close();

    QCOMPARE(QSettingsStore(m_dir->path()).read(App, "PicSettings", "HomePic", ""),
             QStringLiteral("/pics/a, b.png"));
}

void TestSettingsStore::applicationsKeepSeparateFiles() {
    QSettingsStore store(m_dir->path());
    store.write(QStringLiteral("Other"), "TextSettings", "HomeText", "Hawks");

    QCOMPARE(store.read(App, "TextSettings", "HomeText", "Home"), QStringLiteral("Home"));
    QCOMPARE(store.read("Other", "TextSettings", "HomeText", "Home"), QStringLiteral("Hawks"));
    QVERIFY(store.location(App) != store.location("Other"));
}

void TestSettingsStore::defaultLocationIsPerUserConfig() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Test mode moves the per-user configuration folder out of the way of real options.
    QStandardPaths::setTestModeEnabled(true);
    const QString expected = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                             QStringLiteral("/Ravenmark/Ravenmark.conf");
    QCOMPARE(QSettingsStore().location(App), expected);
#else
    QSKIP("The per-user location is a Linux file path here");
#endif
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
