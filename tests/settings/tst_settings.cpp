#include "settings/settings.h"
#include "settings/settingsstore.h"
#include "settingstestutil.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>
#include <algorithm>

namespace {

using namespace settingstest;

// A memory store that also remembers which keys were read, in order.
class RecordingStore : public MemorySettingsStore {
public:
    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) const override {
        reads.append(application + u'/' + section + u'/' + key);
        return MemorySettingsStore::read(application, section, key, defaultValue);
    }
    mutable QStringList reads;
};

constexpr std::array MainKeys{SettingId::StartStopClockKey, SettingId::ResetClockKey,
                              SettingId::ResetShotClockKey, SettingId::ClockSwitchKey,
                              SettingId::ClearKey,          SettingId::BuzzerKey};
constexpr std::array QuickKeys{SettingId::QScoreH1, SettingId::QScoreH2, SettingId::QScoreH3,
                               SettingId::QScoreV1, SettingId::QScoreV2, SettingId::QScoreV3,
                               SettingId::QFoulH1,  SettingId::QFoulV1,  SettingId::QPeriod1,
                               SettingId::QTOLH1,   SettingId::QTOLV1};

// A key code that no default uses, different for every key, so that "kept" and
// "restored" cannot be confused.
QString boundCode(SettingId id) {
    return QString::number(300 + static_cast<int>(id));
}

MemorySettingsStore storeWithAllKeysBound(std::optional<SettingId> except = std::nullopt) {
    MemorySettingsStore store;
    for (SettingId id : MainKeys) {
        put(store, id, boundCode(id));
    }
    for (SettingId id : QuickKeys) {
        if (id != except) {
            put(store, id, boundCode(id));
        }
    }
    return store;
}

// A row of text stored under `id` and the text the loaded field then holds.
void storedRow(const char* name, SettingId id, const QString& stored, const QString& expected) {
    QTest::newRow(name) << id << stored << expected;
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void emptyStoreGivesDefaults_data();
    void emptyStoreGivesDefaults();
    void everyKeyLoadsItsTableDefault();
    void buzzerFileJoinsFolderAsItIs();
    void loadReadsKeysInOrder();
    void loadNeverWrites();
    void ledSelectedFollowsLoadedFormBack_data();
    void ledSelectedFollowsLoadedFormBack();
    void keysRestored_data();
    void keysRestored();
    void unusableTextTakesDefault_data();
    void unusableTextTakesDefault();
    void parseStoredNumber_data();
    void parseStoredNumber();
    void storedTextLoadsBackUnchanged();
    void processWideLoadUsesInstalledStore();
};

void TestSettings::emptyStoreGivesDefaults_data() {
    QTest::addColumn<SettingId>("id");
    QTest::addColumn<QString>("expected");

    // The table itself holds every default; these rows pin the ones an operator knows by heart.
    QTest::newRow("TimeColor") << SettingId::TimeColor << "33023";
    QTest::newRow("FormBack") << SettingId::FormBack << "4210752";
    QTest::newRow("LEDSelected follows FormBack") << SettingId::LEDSelected << "4210752";
    QTest::newRow("StartStopClockKey S") << SettingId::StartStopClockKey << "83";
    QTest::newRow("ClearKey Backspace") << SettingId::ClearKey << "8";
    QTest::newRow("BuzzerFile") << SettingId::BuzzerFile << ExeDir + QDir::separator() + "buzzer.wav";
    QTest::newRow("QScoreH1 Insert") << SettingId::QScoreH1 << "45";
    QTest::newRow("QFoulV1 F12") << SettingId::QFoulV1 << "123";
    QTest::newRow("TitleText") << SettingId::TitleText << "Home";
    QTest::newRow("VisitorText") << SettingId::VisitorText << "Visitor";
    QTest::newRow("TeamSize") << SettingId::TeamSize << "24";
    QTest::newRow("HomePic") << SettingId::HomePic << "";
    QTest::newRow("ShotClockResetTime") << SettingId::ShotClockResetTime << "35";
    QTest::newRow("BonusOuter") << SettingId::BonusOuter << "10";
    QTest::newRow("Screen: none") << SettingId::Screen << "";
    QTest::newRow("OpenAtStart") << SettingId::OpenAtStart << "No";
    QTest::newRow("FeedSettings Enabled") << SettingId::FeedEnabled << "No";
    QTest::newRow("FeedSettings Port") << SettingId::FeedPort << "8080";
    QTest::newRow("FeedSettings Network") << SettingId::FeedNetwork << "No";
    QTest::newRow("FeedSettings Token") << SettingId::FeedToken << "";
}

void TestSettings::emptyStoreGivesDefaults() {
    QFETCH(SettingId, id);
    QFETCH(QString, expected);

    // GIVEN a store that has never been written  WHEN the settings load
    const SettingsRecord record = load(MemorySettingsStore());

    // THEN the field holds its key's default
    QCOMPARE(textOf(record, id), expected);
}

void TestSettings::everyKeyLoadsItsTableDefault() {
    const SettingsRecord record = load(MemorySettingsStore());
    for (const SettingKey& key : settingKeys()) {
        if (std::holds_alternative<std::monostate>(key.field)) {
            continue; // IsKeyCode marks a store whose keys are codes; no field holds it
        }
        QString expected = QLatin1String(key.defaultText);
        if (key.defaultKind == SettingDefault::LoadedFormBack) {
            expected = textOf(record, SettingId::FormBack);
        } else if (key.defaultKind == SettingDefault::BesideExecutable) {
            expected = ExeDir + QDir::separator() + expected;
        }
        QVERIFY2(textOf(record, key.id) == expected, key.key);
    }
    QCOMPARE(settingKeys().size(), size_t(59));
}

void TestSettings::buzzerFileJoinsFolderAsItIs() {
    // A folder that already ends in a separator is not tidied up.
    const QString folder = QStringLiteral("/srv/board") + QDir::separator();
    QCOMPARE(load(MemorySettingsStore(), folder).BuzzerFile,
             folder + QDir::separator() + QStringLiteral("buzzer.wav"));
}

void TestSettings::loadReadsKeysInOrder() {
    RecordingStore store;
    load(store);

    const QStringList expected{
        "Ravenmark/ColorSettings/TimeColor",
        "Ravenmark/ColorSettings/LEDBack",
        "Ravenmark/ColorSettings/ScoreColor",
        "Ravenmark/ColorSettings/PeriodColor",
        "Ravenmark/ColorSettings/FormBack",
        "Ravenmark/ColorSettings/LEDSelected",
        "Ravenmark/ColorSettings/BorderColor",
        "Ravenmark/ColorSettings/HomeColor",
        "Ravenmark/ColorSettings/VisitorColor",
        "Ravenmark/ColorSettings/LEDSelectedWidth",
        "Ravenmark/KeySettings/StartStopClockKey",
        "Ravenmark/KeySettings/ResetClockKey",
        "Ravenmark/KeySettings/ResetShotClockKey",
        "Ravenmark/KeySettings/ClockSwitchKey",
        "Ravenmark/KeySettings/ClearKey",
        "Ravenmark/KeySettings/BuzzerKey",
        "Ravenmark/KeySettings/BuzzerFile",
        "Ravenmark/QuickKeySettings/QScoreH1",
        "Ravenmark/QuickKeySettings/QScoreH2",
        "Ravenmark/QuickKeySettings/QScoreH3",
        "Ravenmark/QuickKeySettings/QScoreV1",
        "Ravenmark/QuickKeySettings/QScoreV2",
        "Ravenmark/QuickKeySettings/QScoreV3",
        "Ravenmark/QuickKeySettings/QFoulH1",
        "Ravenmark/QuickKeySettings/QFoulV1",
        "Ravenmark/QuickKeySettings/QPeriod1",
        "Ravenmark/QuickKeySettings/QTOLH1",
        "Ravenmark/QuickKeySettings/QTOLV1",
        "Ravenmark/QuickKeySettings/QScoreH1",
        "Ravenmark/KeySettings/NumLockForce",
        "Ravenmark/KeySettings/IsKeyCode",
        "Ravenmark/TextSettings/TitleText",
        "Ravenmark/TextSettings/HomeText",
        "Ravenmark/TextSettings/VisitorText",
        "Ravenmark/TextSettings/TeamSize",
        "Ravenmark/PicSettings/HomePic",
        "Ravenmark/PicSettings/VisitorPic",
        "Ravenmark/PicSettings/BoardPic",
        "Ravenmark/PicSettings/LEDType",
        "Ravenmark/AdditionalSettings/ShotClockResetTime",
        "Ravenmark/AdditionalSettings/BonusInner",
        "Ravenmark/AdditionalSettings/BonusOuter",
        "Ravenmark/AdditionalSettings/GamePeriod",
        "Ravenmark/KeySettings/ShortResetKey",
        "Ravenmark/RuleSettings/League",
        "Ravenmark/RuleSettings/PeriodSeconds",
        "Ravenmark/RuleSettings/OvertimeSeconds",
        "Ravenmark/RuleSettings/ShortReset",
        "Ravenmark/RuleSettings/FoulsResetEachPeriod",
        "Ravenmark/RuleSettings/ShotClockOff",
        "Ravenmark/RuleSettings/ShotClockFile",
        "Ravenmark/RuleSettings/TimeoutsPerGame",
        "Ravenmark/AudienceSettings/Screen",
        "Ravenmark/AudienceSettings/ScreenModel",
        "Ravenmark/AudienceSettings/ScreenSerial",
        "Ravenmark/AudienceSettings/OpenAtStart",
        "Ravenmark/FeedSettings/Enabled",
        "Ravenmark/FeedSettings/Port",
        "Ravenmark/FeedSettings/Network",
        "Ravenmark/FeedSettings/Token",
    };
    QCOMPARE(store.reads, expected);
}

void TestSettings::loadNeverWrites() {
    MemorySettingsStore store;
    load(store);
    QCOMPARE(store.size(), std::size_t{0});
}

void TestSettings::ledSelectedFollowsLoadedFormBack_data() {
    QTest::addColumn<QString>("formBack"); // empty: not stored
    QTest::addColumn<QString>("ledSelected");
    QTest::addColumn<std::int32_t>("expected");

    const auto row = [](const char* name, const char* formBack, const char* ledSelected,
                        std::int32_t expected) {
        QTest::newRow(name) << QString::fromUtf8(formBack) << QString::fromUtf8(ledSelected) << expected;
    };
    row("stored FormBack, no LEDSelected", "255", "", 255);
    row("neither stored", "", "", 4210752);
    row("both stored", "255", "16", 16);
    row("unreadable FormBack", "grey", "", 4210752);
    row("unreadable LEDSelected", "255", "blue", 255);
    row("LEDSelected beyond int32", "65280", "4294967295", 65280);
}

void TestSettings::ledSelectedFollowsLoadedFormBack() {
    QFETCH(QString, formBack);
    QFETCH(QString, ledSelected);
    QFETCH(std::int32_t, expected);

    MemorySettingsStore store;
    if (!formBack.isEmpty()) {
        put(store, SettingId::FormBack, formBack);
    }
    if (!ledSelected.isEmpty()) {
        put(store, SettingId::LEDSelected, ledSelected);
    }
    QCOMPARE(load(store).LEDSelected, expected);
}

// GIVEN every key bound to a code no default uses, IsKeyCode and QScoreH1 as the row says
// WHEN the settings load THEN the main keys, and the score and foul quick keys, are restored or
// keep what was stored; QPeriod1, QTOLH1 and QTOLV1 always keep theirs.
void TestSettings::keysRestored_data() {
    QTest::addColumn<QString>("isKeyCode"); // null: not stored
    QTest::addColumn<QString>("scoreH1");   // null: not stored
    QTest::addColumn<bool>("mainRestored");
    QTest::addColumn<bool>("quickRestored");

    // Confirmed by the options dialog, the key table is given up only without its first quick key.
    const auto scoreH1 = [](const char* name, const QString& text, bool restored) {
        QTest::addRow("QScoreH1 %s", name) << QStringLiteral("Yes") << text << restored << restored;
    };
    scoreH1("absent", QString(), true);
    scoreH1("stored 0", "0", true);
    scoreH1("stored -0", "-0", true);
    scoreH1("stored 0.4, rounds to 0", "0.4", true);
    scoreH1("unreadable counts as absent", "Insert", true);
    scoreH1("beyond int16 counts as absent", "70000", true);
    scoreH1("empty text counts as absent", "", true);
    scoreH1("stored 90", "90", false);
    scoreH1("stored -1", "-1", false);
    scoreH1("stored 0.6, rounds to 1", "0.6", false);
    // QScoreH1 stored: IsKeyCode decides for the main keys and never touches the quick keys.
    const auto keyCode = [](const char* name, const QString& text, bool restored) {
        QTest::addRow("IsKeyCode %s", name) << text << boundCode(SettingId::QScoreH1) << restored << false;
    };
    keyCode("absent", QString(), true);
    keyCode("No", "No", true);
    keyCode("Yes", "Yes", false);
    keyCode("no (lower case)", "no", false);
    keyCode("NO (upper case)", "NO", false);
    keyCode("empty text", "", false);
    keyCode("No with a blank", " No", false);
}

void TestSettings::keysRestored() {
    QFETCH(QString, isKeyCode);
    QFETCH(QString, scoreH1);
    QFETCH(bool, mainRestored);
    QFETCH(bool, quickRestored);

    MemorySettingsStore store = storeWithAllKeysBound(SettingId::QScoreH1);
    for (const auto& [id, text] :
         {std::pair{SettingId::IsKeyCode, isKeyCode}, {SettingId::QScoreH1, scoreH1}}) {
        if (!text.isNull()) {
            put(store, id, text);
        }
    }
    const SettingsRecord record = load(store);
    const SettingsRecord defaults = load(MemorySettingsStore());

    for (SettingId id : ResetWithScoreH1) {
        const bool restored =
            std::ranges::find(MainKeys, id) != MainKeys.end() ? mainRestored : quickRestored;
        QCOMPARE(textOf(record, id), restored ? textOf(defaults, id) : boundCode(id));
    }
    QCOMPARE(qint64(record.QScoreH1), quickRestored ? qint64(45) : *::parseStoredNumber(scoreH1));
    for (SettingId id : {SettingId::QPeriod1, SettingId::QTOLH1, SettingId::QTOLV1}) {
        QCOMPARE(textOf(record, id), boundCode(id));
    }
}

void TestSettings::unusableTextTakesDefault_data() {
    QTest::addColumn<SettingId>("id");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("expected");

    storedRow("colour: not a number", SettingId::TimeColor, "orange", "33023");
    storedRow("colour: hex", SettingId::TimeColor, "&H80FF", "33023");
    storedRow("colour: 0x hex", SettingId::TimeColor, "0x80FF", "33023");
    storedRow("colour: int32 max", SettingId::ScoreColor, "2147483647", "2147483647");
    storedRow("colour: one past int32 max", SettingId::ScoreColor, "2147483648", "255");
    storedRow("colour: int32 min", SettingId::ScoreColor, "-2147483648", "-2147483648");
    storedRow("colour: one below int32 min", SettingId::ScoreColor, "-2147483649", "255");
    storedRow("colour: beyond 64 bits", SettingId::ScoreColor, "99999999999999999999", "255");
    storedRow("yes/no: Yes", SettingId::FeedEnabled, "Yes", "Yes");
    storedRow("yes/no: lower case is not Yes", SettingId::FeedEnabled, "yes", "No");
    storedRow("yes/no: a number", SettingId::FeedNetwork, "1", "No");
    storedRow("int16: 99999", SettingId::ShotClockResetTime, "99999", "35");
    storedRow("int16: max", SettingId::ShotClockResetTime, "32767", "32767");
    storedRow("int16: one past max", SettingId::ShotClockResetTime, "32768", "35");
    storedRow("int16: min", SettingId::LEDType, "-32768", "-32768");
    storedRow("int16: one below min", SettingId::LEDType, "-32769", "0");
    storedRow("int16: max and a half rounds out of range", SettingId::BonusOuter, "32767.5", "10");
    storedRow("int16: just under max and a half", SettingId::BonusOuter, "32766.5", "32766");
    storedRow("quick key: 99999", SettingId::QPeriod1, "99999", "80");
    storedRow("empty text", SettingId::BonusInner, "", "7");
    storedRow("blanks only", SettingId::BonusInner, "   ", "7");
    storedRow("leading and trailing blanks", SettingId::BonusInner, "  5\t", "5");
    storedRow("plus sign", SettingId::BonusInner, "+5", "5");
    storedRow("no selected style", SettingId::LEDType, "-1", "-1");
    storedRow("fraction rounds down", SettingId::BonusInner, "4.49", "4");
    storedRow("fraction rounds up", SettingId::BonusInner, "4.51", "5");
    storedRow("half rounds to even, down", SettingId::BonusInner, "4.5", "4");
    storedRow("half rounds to even, up", SettingId::BonusInner, "5.5", "6");
    storedRow("just over half rounds up", SettingId::BonusInner, "4.5000000001", "5");
    storedRow("digits then letters", SettingId::BonusInner, "12abc", "7");
    storedRow("grouped digits", SettingId::GamePeriod, "1,000", "0");
    storedRow("decimal comma", SettingId::BonusInner, "4,5", "7");
    storedRow("exponent", SettingId::BonusInner, "1e1", "7");
    storedRow("two numbers", SettingId::BonusInner, "1 2", "7");
    storedRow("sign alone", SettingId::BonusInner, "-", "7");
    storedRow("point alone", SettingId::BonusInner, ".", "7");
    storedRow("full-width digits", SettingId::BonusInner, QString::fromUtf8("\uFF19"), "7");
    storedRow("NumLockForce beyond int32", SettingId::NumLockForce, "4294967296", "0");
    storedRow("TeamSize fraction kept", SettingId::TeamSize, "30.5", "30.5");
    storedRow("TeamSize not a number", SettingId::TeamSize, "large", "24");
    storedRow("TeamSize empty", SettingId::TeamSize, "", "24");
    storedRow("TeamSize beyond 64 bits", SettingId::TeamSize, "99999999999999999999", "24");
    storedRow("text taken verbatim", SettingId::TitleText, "  12 ", "  12 ");
    storedRow("empty title kept", SettingId::TitleText, "", "");
    storedRow("buzzer file verbatim", SettingId::BuzzerFile, "C:\\sounds\\horn.wav", "C:\\sounds\\horn.wav");

    // A megabyte of text: how long it takes is measured in bench_settings_parse; a scan that never
    // ends runs into the test's time limit.
    const qsizetype megabyte = 1 << 20;
    storedRow("megabyte: digits, int16", SettingId::ShotClockResetTime, QString(megabyte, u'9'), "35");
    storedRow("megabyte: digits, colour", SettingId::FormBack, QString(megabyte, u'1'), "4210752");
    storedRow("megabyte: digits, TeamSize", SettingId::TeamSize, QString(megabyte, u'1'), "24");
    storedRow("megabyte: letters", SettingId::BonusOuter, QString(megabyte, u'x'), "10");
    storedRow("megabyte: letters, TeamSize", SettingId::TeamSize, QString(megabyte, u'x'), "24");
    storedRow("megabyte: zeros then a digit", SettingId::BonusOuter, QString(megabyte, u'0') + u'9', "9");
    storedRow("megabyte: a megabyte of decimals", SettingId::BonusOuter, "8." + QString(megabyte, u'0'), "8");
    storedRow("megabyte: half, decided by the last decimal", SettingId::BonusOuter,
              "8.5" + QString(megabyte, u'0') + u'1', "9");
    storedRow("megabyte: blanks", SettingId::BonusOuter, QString(megabyte, u' '), "10");
}

void TestSettings::unusableTextTakesDefault() {
    QFETCH(SettingId, id);
    QFETCH(QString, stored);
    QFETCH(QString, expected);

    MemorySettingsStore store;
    put(store, id, stored);
    QCOMPARE(textOf(load(store), id), expected);
}

void TestSettings::parseStoredNumber_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<qint64>("value");

    QTest::newRow("zero") << "0" << true << qint64(0);
    QTest::newRow("plain") << "4210752" << true << qint64(4210752);
    QTest::newRow("negative") << "-1" << true << qint64(-1);
    QTest::newRow("plus") << "+35" << true << qint64(35);
    QTest::newRow("leading zeros") << "0035" << true << qint64(35);
    QTest::newRow("blanks around") << " \t 7 \n" << true << qint64(7);
    QTest::newRow("trailing point") << "12." << true << qint64(12);
    QTest::newRow("leading point") << ".6" << true << qint64(1);
    QTest::newRow("negative half to even") << "-2.5" << true << qint64(-2);
    QTest::newRow("negative half to even, odd") << "-3.5" << true << qint64(-4);
    QTest::newRow("negative just over half") << "-2.51" << true << qint64(-3);
    QTest::newRow("half with trailing zeros") << "2.5000" << true << qint64(2);
    QTest::newRow("int64 max") << "9223372036854775807" << true << std::numeric_limits<qint64>::max();
    QTest::newRow("int64 max plus one") << "9223372036854775808" << false << qint64(0);
    QTest::newRow("int64 max rounding up") << "9223372036854775807.5" << false << qint64(0);
    QTest::newRow("blank between sign and digits") << "- 1" << false << qint64(0);
    QTest::newRow("two signs") << "+-1" << false << qint64(0);
    QTest::newRow("two points") << "1.2.3" << false << qint64(0);
    QTest::newRow("empty") << "" << false << qint64(0);
    QTest::newRow("Arabic-Indic digit") << QString::fromUtf8("\u0663") << false << qint64(0);
}

void TestSettings::parseStoredNumber() {
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(qint64, value);

    const std::optional<std::int64_t> parsed = ::parseStoredNumber(text);
    QCOMPARE(parsed.has_value(), isNumber);
    if (isNumber) {
        QCOMPARE(*parsed, value);
    }
}

void TestSettings::storedTextLoadsBackUnchanged() {
    // GIVEN a record loaded from a store that holds a value for every key
    MemorySettingsStore original = storeWithAllKeysBound();
    put(original, SettingId::IsKeyCode, QStringLiteral("Yes"));
    put(original, SettingId::FormBack, QStringLiteral("-2147483643"));
    put(original, SettingId::LEDSelectedWidth, QStringLiteral("3"));
    put(original, SettingId::NumLockForce, QStringLiteral("2"));
    put(original, SettingId::TitleText, QStringLiteral("Final, Game 7"));
    put(original, SettingId::TeamSize, QStringLiteral("18.25"));
    put(original, SettingId::BuzzerFile, QStringLiteral("/usr/share/sounds/horn.wav"));
    put(original, SettingId::HomePic, QStringLiteral("/pics/home.png"));
    put(original, SettingId::LEDType, QStringLiteral("-1"));
    put(original, SettingId::GamePeriod, QStringLiteral("1"));
    const SettingsRecord first = load(original);

    // WHEN every field is written back as the store keeps it, and loaded again
    MemorySettingsStore copy;
    for (const SettingKey& key : settingKeys()) {
        if (key.id != SettingId::IsKeyCode) {
            put(copy, key.id, storedText(first, key));
        }
    }
    put(copy, SettingId::IsKeyCode, QStringLiteral("Yes"));

    // THEN nothing changes
    QCOMPARE(load(copy), first);
    QCOMPARE(first.TeamSize, Currency::fromUnits(182500));
}

void TestSettings::processWideLoadUsesInstalledStore() {
    auto store = std::make_unique<MemorySettingsStore>();
    put(*store, SettingId::HomeText, QStringLiteral("Ravens"));
    setSettingsStore(std::move(store));

    Settings = SettingsRecord();
    LoadSettings();

    QCOMPARE(Settings.HomeText, QStringLiteral("Ravens"));
    QCOMPARE(Settings.BuzzerFile, QCoreApplication::applicationDirPath() + QDir::separator() + "buzzer.wav");
    setSettingsStore(nullptr);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
