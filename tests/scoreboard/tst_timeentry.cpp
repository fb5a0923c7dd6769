#include "scoreboard/count.h"

#include <QTest>

using namespace Qt::StringLiterals;

using modCount::ParseTimeEntry;
using modCount::TimeEntry;

class TestTimeEntry : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void enterTimeChar_data();
    void enterTimeChar();
    void movingToTheOtherClockDiscardsTyping();
};

// Expected seconds as text; "" for a refused entry.
void TestTimeEntry::parse_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("seconds");

    QTest::newRow("minutes only") << u"12"_s << u"720"_s;
    QTest::newRow("seconds and tenths") << u"0.245"_s << u"24.5"_s;
    QTest::newRow("seconds above 59 are kept") << u"1.75"_s << u"135"_s;
    QTest::newRow("largest accepted") << u"99.59"_s << u"5999"_s;
    QTest::newRow("99 minutes 99 seconds 9 tenths") << u"99.999"_s << u"6039.9"_s;
    QTest::newRow("empty is zero") << u""_s << u"0"_s;
    QTest::newRow("point alone is zero") << u"."_s << u"0"_s;
    QTest::newRow("no minutes") << u".30"_s << u"30"_s;
    QTest::newRow("one seconds digit") << u"2.5"_s << u"125"_s;
    QTest::newRow("digits past the tenths ignored") << u"0.24567"_s << u"24.5"_s;
    QTest::newRow("eight characters") << u"00000012"_s << u"720"_s;
    QTest::newRow("leading zeros") << u"05.05"_s << u"305"_s;
    QTest::newRow("100 minutes refused") << u"100"_s << u""_s;
    QTest::newRow("two points refused") << u"1.2.3"_s << u""_s;
    QTest::newRow("ninth character refused") << u"000000012"_s << u""_s;
    QTest::newRow("letter refused") << u"x"_s << u""_s;
    QTest::newRow("sign refused") << u"-1"_s << u""_s;
    QTest::newRow("blank refused") << u"1 2"_s << u""_s;
    QTest::newRow("minutes overflow in eight digits") << u"99999999"_s << u""_s;
}

void TestTimeEntry::parse() {
    QFETCH(QString, text);
    QFETCH(QString, seconds);
    const std::optional<Currency> t = ParseTimeEntry(text);
    if (seconds.isEmpty()) {
        QVERIFY2(!t.has_value(), qPrintable(t ? t->toText() : QString()));
    } else {
        QVERIFY(t.has_value());
        QCOMPARE(t->toText(), seconds);
    }
}

// Keys are typed one character code at a time; the result is what the last one returns.
void TestTimeEntry::enterTimeChar_data() {
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QString>("result");

    QTest::newRow("12 Enter") << QList<int>{'1', '2', '\r'} << 5999 << "720";
    QTest::newRow("Enter alone is zero") << QList<int>{'\r'} << 5999 << "0";
    QTest::newRow("Space discards") << QList<int>{'5', ' ', '\r'} << 5999 << "0";
    QTest::newRow("digits without Enter") << QList<int>{'1', '2'} << 5999 << "";
    QTest::newRow("other keys ignored") << QList<int>{'1', -1, '+', 0, '2', '\r'} << 5999 << "720";
    QTest::newRow("above maximum refused") << QList<int>{'9', '9', '.', '0', '1', '\r'} << 5940 << "";
    QTest::newRow("at maximum accepted") << QList<int>{'9', '9', '\r'} << 5940 << "5940";
    QTest::newRow("refused entry is emptied") << QList<int>{'1', '0', '0', '\r', '\r'} << 5999 << "0";
}

void TestTimeEntry::enterTimeChar() {
    QFETCH(QList<int>, keys);
    QFETCH(int, maximum);
    QFETCH(QString, result);
    TimeEntry entry;
    std::optional<Currency> t;
    for (int key : keys) {
        t = entry.EnterTimeChar(QStringLiteral("clkGame"), key, maximum);
    }
    if (result.isEmpty()) {
        QVERIFY(!t.has_value());
    } else {
        QVERIFY(t.has_value());
        QCOMPARE(t->toText(), result);
    }
}

void TestTimeEntry::movingToTheOtherClockDiscardsTyping() {
    TimeEntry entry;
    entry.EnterTimeChar(QStringLiteral("clkGame"), '1', 5999);
    entry.EnterTimeChar(QStringLiteral("clkGame"), '2', 5999);
    entry.EnterTimeChar(QStringLiteral("digShotClock"), '2', 5940);
    entry.EnterTimeChar(QStringLiteral("digShotClock"), '4', 5940);
    const std::optional<Currency> t = entry.EnterTimeChar(QStringLiteral("digShotClock"), '\r', 5940);
    QVERIFY(t.has_value());
    QCOMPARE(t->toText(), QStringLiteral("1440"));
}

QTEST_APPLESS_MAIN(TestTimeEntry)
#include "tst_timeentry.moc"
