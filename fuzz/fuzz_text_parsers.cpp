// Every parser of outside text: stored settings, the fixed-point type, typed times and
// typed numbers. Besides not crashing, each must keep its promises.
#include "components/currency.h"
#include "scoreboard/count.h"
#include "scoreboard/showdigits.h"
#include "settings/settings.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));

    if (const std::optional<Currency> c = Currency::fromText(text)) {
        // Exact decimal text in and out.
        check(Currency::fromText(c->toText()) == c);
    }

    if (const std::optional<std::int64_t> n = parseStoredNumber(text)) {
        check(parseStoredNumber(QString::number(*n)) == n);
    }

    if (const std::optional<Currency> t = modCount::ParseTimeEntry(text)) {
        check(*t >= Currency());
        check(*t <= Currency::fromUnits((99 * 60 + 99) * Currency::Scale + 9000));
        check(text.size() <= 8);
    }

    // However long, a typed number never wraps into a field's range.
    const std::int64_t lead = modShowDigits::LeadingNumber(text);
    check(lead >= -1'000'000'000'000LL && lead <= 1'000'000'000'000LL);

    modCount::TimeEntry entry;
    for (QChar c : text) {
        const std::optional<Currency> accepted =
            entry.EnterTimeChar(QStringLiteral("clkGame"), c.unicode(), 5999);
        check(!accepted || (*accepted >= Currency() && *accepted <= Currency::fromInt(5999)));
    }
    return 0;
}
