#include "platform/wavinfo.h"

#include <QFile>
#include <algorithm>

namespace wavinfo {

namespace {

// A real header is a few dozen bytes; metadata chunks before the samples rarely
// amount to more than a few kilobytes. Reading this much always reaches "data".
constexpr qint64 MaxHeadBytes = 1 << 20;

constexpr int FormatPcm = 1;
constexpr int FormatFloat = 3;
constexpr int FormatExtensible = 0xFFFE;

class Reader {
public:
    Reader(QByteArrayView bytes, bool bigEndian) : m_bytes(bytes), m_bigEndian(bigEndian) {}

    bool has(qint64 offset, qint64 count) const { return offset >= 0 && offset + count <= m_bytes.size(); }

    quint32 u32(qint64 offset) const { return value(offset, 4); }
    quint32 u16(qint64 offset) const { return value(offset, 2); }
    bool tagIs(qint64 offset, const char* tag) const {
        return m_bytes.sliced(offset, 4) == QByteArrayView(tag, 4);
    }

private:
    quint32 value(qint64 offset, int size) const {
        quint32 result = 0;
        for (int i = 0; i < size; ++i) {
            const int index = m_bigEndian ? i : size - 1 - i;
            result = (result << 8) | static_cast<quint8>(m_bytes[offset + index]);
        }
        return result;
    }

    QByteArrayView m_bytes;
    bool m_bigEndian;
};

std::optional<WaveInfo> readFormat(const Reader& in, qint64 offset, quint32 size) {
    if (size < 16 || !in.has(offset, 16)) {
        return std::nullopt;
    }
    WaveInfo info;
    info.formatTag = static_cast<int>(in.u16(offset));
    info.channels = static_cast<int>(in.u16(offset + 2));
    info.sampleRate = in.u32(offset + 4);
    const qint64 declaredByteRate = in.u32(offset + 8);
    const int blockAlign = static_cast<int>(in.u16(offset + 12));
    info.bitsPerSample = static_cast<int>(in.u16(offset + 14));
    if (info.channels == 0 || info.sampleRate == 0) {
        return std::nullopt;
    }

    // For plain samples the rate follows from the layout, which players trust over
    // the declared figure; for compressed formats only the declared one means anything.
    const bool plainSamples =
        info.formatTag == FormatPcm || info.formatTag == FormatFloat || info.formatTag == FormatExtensible;
    const qint64 frameBytes =
        blockAlign != 0 ? blockAlign : qint64(info.channels) * ((info.bitsPerSample + 7) / 8);
    info.byteRate = plainSamples && frameBytes > 0 ? info.sampleRate * frameBytes : declaredByteRate;
    if (info.byteRate <= 0) {
        return std::nullopt;
    }
    return info;
}

} // namespace

qint64 WaveInfo::durationMs() const {
    if (byteRate <= 0) {
        return 0;
    }
    return (dataBytes * 1000 + byteRate - 1) / byteRate;
}

std::optional<WaveInfo> parse(QByteArrayView head, qint64 fileSize) {
    if (head.size() < 12) {
        return std::nullopt;
    }
    const bool bigEndian = head.first(4) == QByteArrayView("RIFX");
    if (!bigEndian && head.first(4) != QByteArrayView("RIFF")) {
        return std::nullopt;
    }
    const Reader in(head, bigEndian);
    if (!in.tagIs(8, "WAVE")) {
        return std::nullopt;
    }

    std::optional<WaveInfo> format;
    // Chunk sizes are untrusted: every step moves forward by at least the 8-byte
    // chunk header, and 64-bit offsets cannot overflow on 32-bit sizes.
    qint64 offset = 12;
    while (in.has(offset, 8)) {
        const quint32 size = in.u32(offset + 4);
        const qint64 body = offset + 8;
        if (in.tagIs(offset, "fmt ")) {
            format = readFormat(in, body, size);
            if (!format) {
                return std::nullopt;
            }
        } else if (in.tagIs(offset, "data")) {
            if (!format) {
                return std::nullopt;
            }
            format->dataOffset = body;
            format->dataBytes = std::clamp<qint64>(fileSize - body, 0, size);
            return format;
        }
        offset = body + size + (size & 1);
    }
    return std::nullopt;
}

std::optional<WaveInfo> readFile(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const qint64 fileSize = file.size();
    const QByteArray head = file.read(std::min(fileSize, MaxHeadBytes));
    return parse(head, fileSize);
}

} // namespace wavinfo
