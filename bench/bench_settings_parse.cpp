// Loading settings whose stored values are huge garbled texts: the load must stay one pass
// over the text, so a megabyte costs milliseconds, not minutes. And a settings file grown to
// 50 MB (the bulk inside [ColorSettings], where ten keys are read) must be opened once per
// load, not once per key.
//
// Peak memory is the process's high-water mark, so run the file benchmarks one at a time for
// a figure of their own:
//   bench_settings_parse --benchmark_filter=BM_LoadFiftyMegabyteFile

#include "settings/settings.h"
#include "settings/settingsstore.h"

#include <QCoreApplication>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

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

// The process's peak resident memory so far, in megabytes.
double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// A settings file of about 50 MB: every key of the table with a sensible value, and inside
// [ColorSettings] lines of keys nobody reads, each of the given length. Written in pieces so
// that making it does not raise the peak being measured.
bool writeFiftyMegabyteFile(const QString& path, int lineLength) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray filler(std::max(1, lineLength - 12), 'x');
    const int lines = 50 * 1024 * 1024 / lineLength;
    QByteArray section;
    for (const SettingKey& key : settingKeys()) {
        if (section != key.section) {
            section = key.section;
            file.write("\n[" + section + "]\n");
            if (section == "ColorSettings") {
                for (int line = 0; line < lines; ++line) {
                    file.write('K' + QByteArray::number(line).rightJustified(9, '0') + '=' + filler + '\n');
                }
            }
        }
        const QByteArray value = key.id == SettingId::IsKeyCode ? QByteArray("Yes") : QByteArray("7");
        file.write(QByteArray(key.key) + '=' + value + '\n');
    }
    return file.error() == QFile::NoError;
}

void BM_LoadFiftyMegabyteFile(benchmark::State& state) {
    QTemporaryDir dir;
    if (!writeFiftyMegabyteFile(dir.filePath(QStringLiteral("Ravenmark.conf")), int(state.range(0)))) {
        state.SkipWithError("cannot write the settings file");
        return;
    }
    const double before = peakMegabytes();
    SettingsRecord record;
    for (auto _ : state) {
        LoadSettings(QSettingsStore(dir.path()), record, QStringLiteral("/opt/ravenmark"));
        benchmark::DoNotOptimize(record);
    }
    state.counters["peak_MB"] = peakMegabytes();
    state.counters["peak_growth_MB"] = peakMegabytes() - before;
    if (record.ScoreColor != 7) {
        state.SkipWithError("the file did not load");
    }
}
// The argument is the length of the unread lines: a few long ones, or millions of short ones.
BENCHMARK(BM_LoadFiftyMegabyteFile)->Unit(benchmark::kMillisecond)->Iterations(3)->Arg(1024)->Arg(32);

} // namespace

int main(int argc, char** argv) {
    // QSettings wants an application object for its paths.
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
