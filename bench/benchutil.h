#pragma once

#include <algorithm>
#include <cstdio>
#include <vector>

// Median and tail of a set of timings, printed in one line.
inline void printPercentiles(const char* what, std::vector<double> samples, const char* unit) {
    if (samples.empty()) {
        std::printf("%s: no samples\n", what);
        return;
    }
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) {
        const auto i = static_cast<std::size_t>(q * double(samples.size() - 1) + 0.5);
        return samples[std::min(i, samples.size() - 1)];
    };
    std::printf("%s: n=%zu median=%.3f %s p99=%.3f %s worst=%.3f %s\n", what, samples.size(), at(0.5), unit,
                at(0.99), unit, samples.back(), unit);
}
