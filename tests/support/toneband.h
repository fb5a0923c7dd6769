#pragma once

// Where a sound lies in a recording that may hold others at the same time: the amplitude of one
// frequency, measured over short windows, against a threshold. Two horns whose energy lies in
// different bands are told apart even when they sound together.

#include <QByteArray>
#include <QtEndian>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

namespace toneband {

// 20 ms windows every 2.5 ms: the window's centre crosses half the sound's level where the
// sound starts or stops, give or take a few milliseconds.
constexpr int Window = 882;
constexpr int Hop = 110;

struct Span {
    qint64 first = 0; // frames, centres of the first and last loud windows
    qint64 last = 0;
    double lengthMs(int rate) const { return double(last - first) * 1000.0 / rate; }
};

// The amplitude at `hz` (full scale 1) of each window of 16-bit mono samples, Hann-windowed.
inline std::vector<double> amplitudes(const QByteArray& raw, double hz, int rate) {
    const qint64 count = raw.size() / 2;
    std::vector<double> hann(Window);
    double gain = 0;
    for (int i = 0; i < Window; ++i) {
        hann[size_t(i)] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / (Window - 1));
        gain += hann[size_t(i)];
    }
    const double k = 2 * std::cos(2 * std::numbers::pi * hz / rate);
    std::vector<double> result;
    for (qint64 start = 0; start + Window <= count; start += Hop) {
        double s1 = 0;
        double s2 = 0;
        for (int i = 0; i < Window; ++i) {
            const double x = qFromLittleEndian<qint16>(raw.constData() + 2 * (start + i)) / 32768.0;
            const double s = x * hann[size_t(i)] + k * s1 - s2;
            s2 = s1;
            s1 = s;
        }
        result.push_back(2 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)) / gain);
    }
    return result;
}

// The loud stretches at `hz`: windows at or above `threshold`, gaps of up to 50 ms bridged.
inline std::vector<Span> spans(const QByteArray& raw, double hz, double threshold, int rate) {
    const std::vector<double> a = amplitudes(raw, hz, rate);
    const qint64 gap = qint64(rate) / 20;
    std::vector<Span> result;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] < threshold) {
            continue;
        }
        const qint64 centre = qint64(i) * Hop + Window / 2;
        if (result.empty() || centre - result.back().last > gap) {
            result.push_back({centre, centre});
        } else {
            result.back().last = centre;
        }
    }
    return result;
}

// The steady level of a sound at `hz`: the highest window amplitude of the sound alone.
inline double peak(const QByteArray& raw, double hz, int rate) {
    double highest = 0;
    for (double v : amplitudes(raw, hz, rate)) {
        highest = std::max(highest, v);
    }
    return highest;
}

// 16-bit little-endian mono samples from floats in -1 .. 1 (one channel of several).
inline QByteArray pcm16(const std::vector<float>& samples, int channels) {
    QByteArray raw;
    raw.reserve(qsizetype(samples.size() / size_t(channels)) * 2);
    for (size_t i = 0; i < samples.size(); i += size_t(channels)) {
        const auto v = qint16(std::lround(std::clamp(samples[i], -1.0f, 1.0f) * 32767.0f));
        char bytes[2];
        qToLittleEndian(v, bytes);
        raw.append(bytes, 2);
    }
    return raw;
}

} // namespace toneband
