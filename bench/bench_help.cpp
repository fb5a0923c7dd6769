// Opening the help window: reading the manual and a megabyte of rich text, and laying it out in the
// viewer. Hostile input of growing size shows the reader stays linear.
#include "help/frmhelp.h"
#include "help/rtfreader.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <benchmark/benchmark.h>

namespace {

QByteArray manual() {
    QFile f(QFileInfo(QStringLiteral(__FILE__)).absolutePath() +
            QStringLiteral("/../resources/ravenmarkhelpfile.rtf"));
    if (!f.open(QIODevice::ReadOnly)) {
        qFatal("the manual is missing from resources/");
    }
    return f.readAll();
}

// The manual's body repeated until the document is at least `bytes` long: real formatting,
// tables and Unicode escapes, in the proportions a writer produces.
QByteArray largeDocument(qsizetype bytes) {
    const QByteArray whole = manual();
    const qsizetype start = whole.indexOf("\\widowctrl");
    const QByteArray header = whole.first(start);
    const QByteArray body = whole.sliced(start, whole.lastIndexOf('}') - start);
    QByteArray doc = header;
    while (doc.size() < bytes) {
        doc += body;
    }
    return doc + '}';
}

// Every trick at once: deep groups, escapes with fallbacks, skipped destinations, binary data.
QByteArray hostileDocument(qsizetype bytes) {
    const QByteArray unit = "{{{{\\b\\u8364?\\'e9{\\*\\x{{}}}\\bin3 {}\\par}}}}";
    QByteArray doc = "{\\rtf1 ";
    doc.reserve(bytes + unit.size() + 8);
    while (doc.size() < bytes) {
        doc += unit;
    }
    return doc + QByteArray(1000, '{');
}

void BM_ReadManual(benchmark::State& state) {
    const QByteArray rtf = manual();
    for (auto _ : state) {
        QTextDocument doc;
        rtf::read(rtf, doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(BM_ReadManual)->Unit(benchmark::kMillisecond);

void BM_ReadMegabyte(benchmark::State& state) {
    const QByteArray rtf = largeDocument(1024 * 1024);
    for (auto _ : state) {
        QTextDocument doc;
        rtf::read(rtf, doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(BM_ReadMegabyte)->Unit(benchmark::kMillisecond);

void BM_ReadHostile(benchmark::State& state) {
    const QByteArray rtf = hostileDocument(state.range(0));
    for (auto _ : state) {
        QTextDocument doc;
        rtf::read(rtf, doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * rtf.size());
}
BENCHMARK(BM_ReadHostile)
    ->RangeMultiplier(4)
    ->Range(64 << 10, 4 << 20)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

// From the request to a window laid out and painted, as F1 does it.
void openViewer(benchmark::State& state, const QByteArray& rtf) {
    QTemporaryDir dir;
    QFile f(QDir(dir.path()).filePath(QString::fromLatin1(frmHelp::FileName)));
    if (!f.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the manual");
        return;
    }
    f.write(rtf);
    f.close();
    for (auto _ : state) {
        frmHelp help(dir.path());
        help.show();
        benchmark::DoNotOptimize(help.textBox()->document()->documentLayout()->documentSize());
        benchmark::DoNotOptimize(help.grab());
    }
}

void BM_OpenViewerWithManual(benchmark::State& state) {
    openViewer(state, manual());
}
BENCHMARK(BM_OpenViewerWithManual)->Unit(benchmark::kMillisecond);

void BM_OpenViewerWithMegabyte(benchmark::State& state) {
    openViewer(state, largeDocument(1024 * 1024));
}
BENCHMARK(BM_OpenViewerWithMegabyte)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3);

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
