// Loading settings whose stored values are huge garbled texts: the load must stay one pass
// over the text, so a megabyte costs milliseconds, not minutes.

#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <QString>
#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype Megabyte = 1024 * 1024;

// Digits, then a fraction whose last digit decides the rounding: nothing can be decided
// before the end of the text.
QString worstNumber() {
    return QStringLiteral("8.5") + QString(Megabyte, u'0') + u'1';
}

void BM_ParseMegabyteNumber(benchmark::State& state) {
    const QString text = worstNumber();
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseStoredNumber(text));
    }
    state.SetBytesProcessed(state.iterations() * text.size() * qsizetype(sizeof(QChar)));
}
BENCHMARK(BM_ParseMegabyteNumber)->Unit(benchmark::kMillisecond);

void BM_LoadWithEveryValueAMegabyte(benchmark::State& state) {
    MemorySettingsStore store;
    const QString garbage = worstNumber();
    for (const SettingKey& key : settingKeys()) {
        store.write(QLatin1String(SettingsApplication), QLatin1String(key.section), QLatin1String(key.key),
                    garbage);
    }
    SettingsRecord record;
    for (auto _ : state) {
        LoadSettings(store, record, QStringLiteral("/opt/ravenmark"));
        benchmark::DoNotOptimize(record);
    }
}
BENCHMARK(BM_LoadWithEveryValueAMegabyte)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
