#include "options/optionsrules.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// Key names, the buzzer caption and the team-name size: the rules behind the dialog's labels.
class TestOptionsRules : public QObject {
    Q_OBJECT

private slots:
    void keyNames_data();
    void keyNames();
    void fiftyTwoCodesHaveNames();
    void fileCaption_data();
    void fileCaption();
    void feedUrls_data();
    void feedUrls();
    void teamNameSize_data();
    void teamNameSize();
    void teamNameSizeIsTheLargestThatFits();
};

void TestOptionsRules::keyNames_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    // One of each kind, as the operator reads them on the Keys page.
    QTest::newRow("letter") << int('Q') << "Q";
    QTest::newRow("edit key") << 0x21 << "Page Up";
    QTest::newRow("modifier") << 0x11 << "Ctrl";
    QTest::newRow("keypad sign") << 0x6A << "Numpad *";
    QTest::newRow("first named F key") << 0x74 << "F5";
    QTest::newRow("F11") << 0x7A << "F11";
    QTest::newRow("punctuation") << 0xBA << ";";
    QTest::newRow("quote") << 0xDE << "\"";
    QTest::newRow("F1 has none") << 0x70 << "";
    QTest::newRow("F3 has none") << 0x72 << "";
    QTest::newRow("F4 has none") << 0x73 << "";
    QTest::newRow("F10 has none") << 0x79 << "";
    QTest::newRow("digit has none") << int('5') << "";
    QTest::newRow("keypad digit has none") << 0x60 << "";
    QTest::newRow("arrow has none") << 0x25 << "";
    QTest::newRow("Enter has none") << 0x0D << "";
    QTest::newRow("beyond a byte") << 0x100 + 'A' << "";
    QTest::newRow("negative") << -191 << "";
}

void TestOptionsRules::keyNames() {
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(options::KeyCodeToStr(code), name);
}

void TestOptionsRules::fiftyTwoCodesHaveNames() {
    // 26 letters, F5 to F9, F11, F12 and 19 other keys; no two share a name, and every code
    // outside a byte has none.
    QSet<QString> names;
    int named = 0;
    for (int code = -32768; code <= 32767; ++code) {
        const QString name = options::KeyCodeToStr(code);
        if (!name.isEmpty()) {
            QVERIFY2(code >= 0 && code <= 255, qPrintable(QString::number(code)));
            names.insert(name);
            ++named;
        }
    }
    QCOMPARE(named, 52);
    QCOMPARE(names.size(), 52);
}

void TestOptionsRules::feedUrls_data() {
    QTest::addColumn<bool>("network");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("token");
    QTest::addColumn<QString>("overlay");
    QTest::addColumn<QString>("feed");

    QTest::newRow("this computer: no token")
        << false << 8080 << u"ab12"_s << u"http://127.0.0.1:8080/overlay"_s << u"ws://127.0.0.1:8080/feed"_s;
    QTest::newRow("network: this computer's address and the token")
        << true << 8081 << u"ab12"_s << u"http://192.168.1.20:8081/overlay?token=ab12"_s
        << u"ws://192.168.1.20:8081/feed?token=ab12"_s;
    QTest::newRow("a stored port beyond the range shows as the last")
        << false << 70000 << u""_s << u"http://127.0.0.1:65535/overlay"_s << u"ws://127.0.0.1:65535/feed"_s;
}

void TestOptionsRules::feedUrls() {
    QFETCH(bool, network);
    QFETCH(int, port);
    QFETCH(QString, token);
    QFETCH(QString, overlay);
    QFETCH(QString, feed);
    SettingsRecord record;
    record.FeedNetwork = network;
    record.FeedPort = port;
    record.FeedToken = token;

    const options::FeedUrls urls = options::feedUrls(record, QStringLiteral("192.168.1.20"));

    QCOMPARE(urls.overlay, overlay);
    QCOMPARE(urls.feed, feed);
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
    QTest::newRow("empty names fit at once") << u""_s << u""_s << 60 << 60;
    QTest::newRow("names too wide even at 10") << QString(20, QLatin1Char('W')) << u"Visitor"_s << 10 << 10;
    QTest::newRow("visitor too wide decides") << u"A"_s << QString(20, QLatin1Char('M')) << 10 << 10;
    QTest::newRow("short names: height decides") << u"A"_s << u"B"_s << 11 << 59;
    QTest::newRow("defaults in between") << u"Home"_s << u"Visitor"_s << 11 << 59;
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

QTEST_MAIN(TestOptionsRules)
#include "tst_optionsrules.moc"
