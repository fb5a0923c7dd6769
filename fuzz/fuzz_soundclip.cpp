// The decoder sees whatever file the operator picks as the buzzer.
#include "platform/soundclip.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto clip = soundclip::decode(bytes)) {
        // Whole frames only, never longer than the longest horn, and every sample a
        // finite level the output can take.
        if (clip->channels < 1 || clip->channels > soundclip::MaxChannels ||
            clip->samples.size() % size_t(clip->channels) != 0 ||
            clip->durationMs() > soundclip::MaxPlayMs + 1) {
            std::abort();
        }
        for (const float sample : clip->samples) {
            if (!std::isfinite(sample)) {
                std::abort();
            }
        }
    }
    return 0;
}
