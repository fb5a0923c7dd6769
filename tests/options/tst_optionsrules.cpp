#include "options/optionsrules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Key names, the buzzer caption and the team-name size: the rules behind the dialog's labels.
class TestOptionsRules : public QObject {
    Q_OBJECT

private slots:
    void keyNames_data();
    void keyNames();
    void everyNamedCodeIsListed();
    void fileCaption_data();
    void fileCaption();
    void teamNameSize_data();
    void teamNameSize();
    void teamNameSizeIsTheLargestThatFits();
    void tempSizeFromStoredSize_data();
    void tempSizeFromStoredSize();
};

namespace {

// Every code that has a name, with it; every other code has none.
QMap<int, QString> namedKeys() {
    QMap<int, QString> names{{8, "Backspace"},  {17, "Ctrl"},      {19, "Pause/Break"}, {33, "Page Up"},
                             {34, "Page Down"}, {35, "End"},       {36, "Home"},        {45, "Insert"},
                             {46, "Delete"},    {106, "Numpad *"}, {111, "Numpad /"},   {122, "F11"},
                             {123, "F12"},      {186, ";"},        {188, ","},          {191, "/"},
                             {192, "`"},        {219, "["},        {220, "\\"},         {221, "]"},
                             {222, "\""}};
    for (int code = 'A'; code <= 'Z'; ++code) {
        names.insert(code, QString(QChar(code)));
    }
    for (int code = 114; code <= 120; ++code) {
        names.insert(code, QStringLiteral("F%1").arg(code - 111));
    }
    return names;
}

} // namespace

void TestOptionsRules::keyNames_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    QTest::newRow("F7 (118)") << 118 << "F7";
    QTest::newRow("F3 first of the run") << 114 << "F3";
    QTest::newRow("F9 last of the run") << 120 << "F9";
    QTest::newRow("F10 (121) is the menu key") << 121 << "";
    QTest::newRow("F1 help") << 112 << "";
    QTest::newRow("F2 options") << 113 << "";
    QTest::newRow("222 double quote") << 222 << "\"";
    QTest::newRow("220 backslash") << 220 << "\\";
    QTest::newRow("digit 0") << 48 << "";
    QTest::newRow("digit 9") << 57 << "";
    QTest::newRow("numpad 0") << 96 << "";
    QTest::newRow("numpad +") << 107 << "";
    QTest::newRow("numpad -") << 109 << "";
    QTest::newRow("numpad .") << 110 << "";
    QTest::newRow("left arrow") << 37 << "";
    QTest::newRow("down arrow") << 40 << "";
    QTest::newRow("space") << 32 << "";
    QTest::newRow("enter") << 13 << "";
    QTest::newRow("tab") << 9 << "";
    QTest::newRow("esc") << 27 << "";
    QTest::newRow("shift") << 16 << "";
    QTest::newRow("alt") << 18 << "";
    QTest::newRow("equals") << 187 << "";
    QTest::newRow("minus") << 189 << "";
    QTest::newRow("full stop") << 190 << "";
    QTest::newRow("no key") << -1 << "";
    QTest::newRow("letter before A") << 64 << "";
    QTest::newRow("A") << 65 << "A";
    QTest::newRow("Z") << 90 << "Z";
    QTest::newRow("letter after Z") << 91 << "";
    QTest::newRow("beyond a byte") << 65 + 256 << "";
}

void TestOptionsRules::keyNames() {
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(options::KeyCodeToStr(code), name);
}

void TestOptionsRules::everyNamedCodeIsListed() {
    // GIVEN the whole table WHEN every 16-bit code is named THEN exactly the listed ones have names.
    const QMap<int, QString> names = namedKeys();
    for (int code = -32768; code <= 32767; ++code) {
        QCOMPARE(options::KeyCodeToStr(code), names.value(code));
    }
}

void TestOptionsRules::fileCaption_data() {
    QTest::addColumn<int>("pathLength");
    QTest::addColumn<bool>("fileExists");
    QTest::addColumn<bool>("shownWhole");
    QTest::newRow("50 characters, whole") << 50 << true << true;
    QTest::newRow("51 characters, shortened") << 51 << true << false;
    QTest::newRow("51 characters, vanished file") << 51 << false << false;
    QTest::newRow("50 characters, vanished file still whole") << 50 << false << true;
}

void TestOptionsRules::fileCaption() {
    QFETCH(int, pathLength);
    QFETCH(bool, fileExists);
    QFETCH(bool, shownWhole);

    // GIVEN a path of exactly pathLength characters inside a fresh folder.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString folder = dir.path() + QLatin1Char('/');
    const int nameLength = pathLength - int(folder.size());
    QVERIFY2(nameLength > 4, "temporary folder path too long for this row");
    const QString name = QString(nameLength - 4, QLatin1Char('b')) + QStringLiteral(".wav");
    const QString path = folder + name;
    QCOMPARE(path.size(), pathLength);
    if (fileExists) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }

    const QString caption = options::fileCaption(path);
    if (shownWhole) {
        QCOMPARE(caption, path);
    } else {
        const QString expected =
            path.left(10) + QStringLiteral(" ...") + QDir::separator() + (fileExists ? name : QString());
        QCOMPARE(caption, expected);
    }
}

void TestOptionsRules::teamNameSize_data() {
    QTest::addColumn<QString>("home");
    QTest::addColumn<QString>("visitor");
    QTest::addColumn<int>("lowest");
    QTest::addColumn<int>("highest");
    QTest::newRow("empty names fit at once") << ""
                                             << "" << 60 << 60;
    QTest::newRow("names too wide even at 10") << QString(20, QLatin1Char('W')) << "Visitor" << 10 << 10;
    QTest::newRow("visitor too wide decides") << "A" << QString(20, QLatin1Char('M')) << 10 << 10;
    QTest::newRow("short names: height decides") << "A"
                                                 << "B" << 11 << 59;
    QTest::newRow("defaults in between") << "Home"
                                         << "Visitor" << 11 << 59;
}

void TestOptionsRules::teamNameSize() {
    QFETCH(QString, home);
    QFETCH(QString, visitor);
    QFETCH(int, lowest);
    QFETCH(int, highest);
    const int size = options::teamNameSize(home, visitor);
    QVERIFY2(size >= lowest && size <= highest, qPrintable(QString::number(size)));
}

void TestOptionsRules::teamNameSizeIsTheLargestThatFits() {
    // The result fits both limits and one point more does not.
    const auto fits = [](int points, const QString& text) {
        const QSize extent = options::nameExtentTwips(options::teamNameFont(points), text);
        return extent.width() < options::NameWidthLimit && extent.height() < options::NameHeightLimit;
    };
    for (const QString& name :
         {QStringLiteral("Home"), QStringLiteral("Visitor"), QStringLiteral("Wildcats United")}) {
        const int size = options::teamNameSize(name, name);
        QVERIFY(size > options::SmallestNameSize && size < options::LargestNameSize);
        QVERIFY2(fits(size, name), qPrintable(name));
        QVERIFY2(!fits(size + 1, name), qPrintable(name));
    }
}

void TestOptionsRules::tempSizeFromStoredSize_data() {
    QTest::addColumn<qint64>("units");
    QTest::addColumn<int>("size");
    QTest::newRow("24") << qint64(240000) << 24;
    QTest::newRow("24.5 to even") << qint64(245000) << 24;
    QTest::newRow("25.5 to even") << qint64(255000) << 26;
    QTest::newRow("beyond 16 bits") << qint64(1'000'000) * 10000 << 32767;
    QTest::newRow("below 16 bits") << qint64(-1'000'000) * 10000 << -32768;
}

void TestOptionsRules::tempSizeFromStoredSize() {
    QFETCH(qint64, units);
    QFETCH(int, size);
    QCOMPARE(int(options::tempSizeFrom(Currency::fromUnits(units))), size);
}

QTEST_MAIN(TestOptionsRules)
#include "tst_optionsrules.moc"
