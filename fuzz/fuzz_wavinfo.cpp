// The wave header reader sees whatever file the operator picks as the buzzer.
#include "platform/wavinfo.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const qint64 fileSize : {qint64(size), qint64(size) * 1000 + 7}) {
        if (const auto info = wavinfo::parse(bytes, fileSize)) {
            // Nothing beyond the file is ever promised, and a duration is never negative.
            if (info->dataBytes < 0 || info->dataOffset + info->dataBytes > fileSize ||
                info->durationMs() < 0) {
                std::abort();
            }
        }
    }
    return 0;
}
