#include "components/currency.h"

#include <QTest>
#include <limits>

using Units = std::int64_t;
using OptionalUnits = std::optional<Units>;

namespace {

constexpr Units MaxUnits = std::numeric_limits<Units>::max();
constexpr Units MinUnits = std::numeric_limits<Units>::min();

// Compared as text, so a failure shows both sides.
QString parse(const QString& text) {
    const auto value = Currency::fromText(text);
    return value ? QString::number(value->units()) : QStringLiteral("refused");
}

QString expected(OptionalUnits units) {
    return units ? QString::number(*units) : QStringLiteral("refused");
}

} // namespace

class TestCurrency : public QObject {
    Q_OBJECT

private slots:
    void fromText_data();
    void fromText();
    void toText_data();
    void toText();
    void textRoundTrip_data();
    void textRoundTrip();
    void megabyteOfDigits_data();
    void megabyteOfDigits();
    void fromDouble_data();
    void fromDouble();
    void rounding_data();
    void rounding();
};

void TestCurrency::fromText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptionalUnits>("units");

    const OptionalUnits refused;
    QTest::newRow("zero") << "0" << OptionalUnits(0);
    QTest::newRow("whole") << "24" << OptionalUnits(240000);
    QTest::newRow("minus one") << "-1" << OptionalUnits(-10000);
    QTest::newRow("plus sign") << "+5" << OptionalUnits(50000);
    QTest::newRow("three decimals") << "0.245" << OptionalUnits(2450);
    QTest::newRow("tenths") << "59.9" << OptionalUnits(599000);
    QTest::newRow("no whole part") << ".5" << OptionalUnits(5000);
    QTest::newRow("point without decimals") << "5." << OptionalUnits(50000);
    QTest::newRow("blanks around") << "  12 " << OptionalUnits(120000);
    QTest::newRow("negative decimals") << "-0.0001" << OptionalUnits(-1);

    // A fifth decimal rounds half to even on the fourth.
    QTest::newRow("half down to even") << "0.00005" << OptionalUnits(0);
    QTest::newRow("half up to even") << "0.00015" << OptionalUnits(2);
    QTest::newRow("half stays even") << "0.00025" << OptionalUnits(2);
    QTest::newRow("above half") << "0.00026" << OptionalUnits(3);
    QTest::newRow("half with more behind") << "0.000250001" << OptionalUnits(3);
    QTest::newRow("below half") << "0.000149999" << OptionalUnits(1);
    QTest::newRow("negative half up") << "-0.00015" << OptionalUnits(-2);
    QTest::newRow("rounding carries into whole") << "0.99995" << OptionalUnits(10000);

    QTest::newRow("largest") << "922337203685477.5807" << OptionalUnits(MaxUnits);
    QTest::newRow("most negative") << "-922337203685477.5808" << OptionalUnits(MinUnits);
    QTest::newRow("one unit too large") << "922337203685477.5808" << refused;
    QTest::newRow("one unit too small") << "-922337203685477.5809" << refused;
    QTest::newRow("rounding beyond largest") << "922337203685477.58075" << refused;
    QTest::newRow("whole part too large") << "922337203685479" << refused;
    QTest::newRow("twenty digits") << "99999999999999999999" << refused;

    QTest::newRow("empty") << "" << refused;
    QTest::newRow("blanks only") << "   " << refused;
    QTest::newRow("sign only") << "-" << refused;
    QTest::newRow("point only") << "." << refused;
    QTest::newRow("two points") << "1.2.3" << refused;
    QTest::newRow("trailing letter") << "12a" << refused;
    QTest::newRow("exponent") << "1e3" << refused;
    QTest::newRow("hex") << "0x10" << refused;
    QTest::newRow("inner blank") << "1 2" << refused;
    QTest::newRow("two signs") << "--1" << refused;
    QTest::newRow("comma decimal") << "1,5" << refused;
    QTest::newRow("arabic-indic digits") << QString::fromUtf8("\u0661\u0662") << refused;
    QTest::newRow("fullwidth digit") << QString::fromUtf8("\uFF11") << refused;
}

void TestCurrency::fromText() {
    QFETCH(QString, text);
    QFETCH(OptionalUnits, units);
    QCOMPARE(parse(text), expected(units));
}

void TestCurrency::toText_data() {
    QTest::addColumn<Units>("units");
    QTest::addColumn<QString>("text");

    QTest::newRow("zero") << Units(0) << "0";
    QTest::newRow("whole") << Units(240000) << "24";
    QTest::newRow("minus one") << Units(-10000) << "-1";
    QTest::newRow("trailing zeros dropped") << Units(2450) << "0.245";
    QTest::newRow("leading decimal zeros kept") << Units(5) << "0.0005";
    QTest::newRow("negative fraction") << Units(-1) << "-0.0001";
    QTest::newRow("largest") << MaxUnits << "922337203685477.5807";
    QTest::newRow("most negative") << MinUnits << "-922337203685477.5808";
}

void TestCurrency::toText() {
    QFETCH(Units, units);
    QFETCH(QString, text);
    QCOMPARE(Currency::fromUnits(units).toText(), text);
}

void TestCurrency::textRoundTrip_data() {
    QTest::addColumn<Units>("units");
    for (const Units u : {Units(0), Units(1), Units(-1), Units(9999), Units(10001), Units(-599000), MaxUnits,
                          MinUnits, MaxUnits - 1, MinUnits + 1}) {
        QTest::addRow("%lld", static_cast<long long>(u)) << u;
    }
}

void TestCurrency::textRoundTrip() {
    QFETCH(Units, units);
    const QString text = Currency::fromUnits(units).toText();
    QCOMPARE(parse(text), QString::number(units));
}

void TestCurrency::megabyteOfDigits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<OptionalUnits>("units");

    constexpr qsizetype Megabyte = 1 << 20;
    const QString zeros(Megabyte, u'0');
    QTest::newRow("huge whole number") << u'1' + zeros << OptionalUnits();
    QTest::newRow("leading zeros") << zeros + u'7' << OptionalUnits(70000);
    QTest::newRow("long decimals, sticky digit far behind") << "0.00005" + zeros + u'1' << OptionalUnits(1);
    QTest::newRow("long decimals, exact half") << "0.00005" + zeros << OptionalUnits(0);
    QTest::newRow("long digits then a letter") << zeros + u'x' << OptionalUnits();
}

void TestCurrency::megabyteOfDigits() {
    QFETCH(QString, text);
    QFETCH(OptionalUnits, units);
    QCOMPARE(parse(text), expected(units));
}

void TestCurrency::fromDouble_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<Units>("units");

    QTest::newRow("float 59.9 snaps back") << double(59.9f) << Units(599000);
    QTest::newRow("float 0.05") << double(0.05f) << Units(500);
    QTest::newRow("float 0.1") << double(0.1f) << Units(1000);
    QTest::newRow("float 61.2") << double(61.2f) << Units(612000);
    QTest::newRow("negative") << -2.5 << Units(-25000);
    QTest::newRow("half unit to even, down") << 0.00005 << Units(0);
    QTest::newRow("half unit to even, up") << 0.00025 << Units(2);
    QTest::newRow("too large") << 1e300 << MaxUnits;
    QTest::newRow("too small") << -1e300 << MinUnits;
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << MaxUnits;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << Units(0);
}

void TestCurrency::fromDouble() {
    QFETCH(double, value);
    QFETCH(Units, units);
    QCOMPARE(Currency::fromDouble(value).units(), units);
}

void TestCurrency::rounding_data() {
    QTest::addColumn<Units>("units");
    QTest::addColumn<Units>("halfEven");
    QTest::addColumn<Units>("floor");
    QTest::addColumn<Units>("ceil");
    QTest::addColumn<Units>("ceilTenths");

    QTest::newRow("zero") << Units(0) << Units(0) << Units(0) << Units(0) << Units(0);
    QTest::newRow("0.5") << Units(5000) << Units(0) << Units(0) << Units(1) << Units(5);
    QTest::newRow("1.5") << Units(15000) << Units(2) << Units(1) << Units(2) << Units(15);
    QTest::newRow("2.5") << Units(25000) << Units(2) << Units(2) << Units(3) << Units(25);
    QTest::newRow("2.5001") << Units(25001) << Units(3) << Units(2) << Units(3) << Units(26);
    QTest::newRow("-0.5") << Units(-5000) << Units(0) << Units(-1) << Units(0) << Units(-5);
    QTest::newRow("-1.5") << Units(-15000) << Units(-2) << Units(-2) << Units(-1) << Units(-15);
    QTest::newRow("-2.4999") << Units(-24999) << Units(-2) << Units(-3) << Units(-2) << Units(-24);
    QTest::newRow("0.0001") << Units(1) << Units(0) << Units(0) << Units(1) << Units(1);
    QTest::newRow("-0.0001") << Units(-1) << Units(0) << Units(-1) << Units(0) << Units(0);
    QTest::newRow("0.01 shows a tenth") << Units(100) << Units(0) << Units(0) << Units(1) << Units(1);
    QTest::newRow("0.05") << Units(500) << Units(0) << Units(0) << Units(1) << Units(1);
    QTest::newRow("-0.05") << Units(-500) << Units(0) << Units(-1) << Units(0) << Units(0);
    QTest::newRow("-0.15") << Units(-1500) << Units(0) << Units(-1) << Units(0) << Units(-1);
    QTest::newRow("59.9") << Units(599000) << Units(60) << Units(59) << Units(60) << Units(599);
    QTest::newRow("59.9001") << Units(599001) << Units(60) << Units(59) << Units(60) << Units(600);
    QTest::newRow("largest") << MaxUnits << MaxUnits / 10000 + 1 << MaxUnits / 10000 << MaxUnits / 10000 + 1
                             << MaxUnits / 1000 + 1;
    QTest::newRow("most negative") << MinUnits << MinUnits / 10000 - 1 << MinUnits / 10000 - 1
                                   << MinUnits / 10000 << MinUnits / 1000;
}

void TestCurrency::rounding() {
    QFETCH(Units, units);
    QFETCH(Units, halfEven);
    QFETCH(Units, floor);
    QFETCH(Units, ceil);
    QFETCH(Units, ceilTenths);
    const Currency value = Currency::fromUnits(units);
    QCOMPARE(value.roundHalfEven(), halfEven);
    QCOMPARE(value.floor(), floor);
    QCOMPARE(value.ceil(), ceil);
    QCOMPARE(value.ceilTenths(), ceilTenths);
}

QTEST_APPLESS_MAIN(TestCurrency)
#include "tst_currency.moc"
