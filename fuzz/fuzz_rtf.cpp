// The help file is whatever sits beside the program under the manual's name: the rich-text reader
// must take any bytes without crashing, hanging or growing its output beyond its input.
#include "help/rtfreader.h"

#include <QGuiApplication>
#include <QTextDocument>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool ok) {
    if (!ok) {
        std::abort();
    }
}

void ensureApplication() {
    // Pictures and character formats want an application; laying the text out is left to the viewer's
    // tests, as fonts would slow each run a hundredfold.
    static int argc = 1;
    static char name[] = "fuzz_rtf";
    static char* argv[] = {name, nullptr};
    if (QGuiApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication app(argc, argv);
    }
}

} // namespace

// Fontconfig keeps its caches until exit; they are not ours to free.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ensureApplication();
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QTextDocument document;
    const bool isRtf = rtf::read(bytes, document);
    check(isRtf || document.isEmpty());
    // Every character shown comes from at least one byte read.
    check(document.characterCount() <= qsizetype(size) + 1);
    return 0;
}
