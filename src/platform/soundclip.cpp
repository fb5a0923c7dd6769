#include "platform/soundclip.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <sndfile.h>

namespace {

// The decoder reads through these from a byte array, so that it never opens the file
// itself (and cannot block on one that changed into a pipe meanwhile).
struct MemoryFile {
    const QByteArray* bytes;
    sf_count_t position = 0;
};

sf_count_t memoryLength(void* user) {
    return static_cast<MemoryFile*>(user)->bytes->size();
}

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR) {
        base = file->position;
    } else if (whence == SEEK_END) {
        base = file->bytes->size();
    }
    file->position = std::clamp<sf_count_t>(base + offset, 0, file->bytes->size());
    return file->position;
}

sf_count_t memoryRead(void* buffer, sf_count_t count, void* user) {
    auto* file = static_cast<MemoryFile*>(user);
    const sf_count_t n = std::clamp<sf_count_t>(file->bytes->size() - file->position, 0, count);
    std::memcpy(buffer, file->bytes->constData() + file->position, static_cast<size_t>(n));
    file->position += n;
    return n;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) {
    return 0;
}

sf_count_t memoryTell(void* user) {
    return static_cast<MemoryFile*>(user)->position;
}

void setReason(QString* why, const QString& reason) {
    if (why) {
        *why = reason;
    }
}

} // namespace

namespace soundclip {

std::optional<SoundClip> decode(const QByteArray& bytes, QString* why) {
    MemoryFile file{&bytes};
    SF_VIRTUAL_IO io{memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};
    SF_INFO info{};
    SNDFILE* sound = sf_open_virtual(&io, SFM_READ, &info, &file);
    if (!sound) {
        setReason(why, QString::fromUtf8(sf_strerror(nullptr)));
        return std::nullopt;
    }
    if (info.channels < 1 || info.channels > MaxChannels || info.samplerate < 1 || info.samplerate > 768000) {
        sf_close(sound);
        setReason(why, QStringLiteral("unsupported format (%1 channels at %2 Hz)")
                           .arg(info.channels)
                           .arg(info.samplerate));
        return std::nullopt;
    }
    // Float data beyond full scale is clipped here rather than wrapped by the output.
    sf_command(sound, SFC_SET_CLIPPING, nullptr, SF_TRUE);

    SoundClip clip;
    clip.channels = info.channels;
    clip.sampleRate = info.samplerate;
    // A header may claim any length; read what is there, up to the longest horn.
    const sf_count_t maxFrames = sf_count_t(MaxPlayMs) * info.samplerate / 1000;
    const sf_count_t chunkFrames = 4096;
    std::vector<float> chunk(static_cast<size_t>(chunkFrames * info.channels));
    sf_count_t total = 0;
    while (total < maxFrames) {
        const sf_count_t read = sf_readf_float(sound, chunk.data(), std::min(chunkFrames, maxFrames - total));
        if (read <= 0) {
            break;
        }
        clip.samples.insert(clip.samples.end(), chunk.begin(), chunk.begin() + read * info.channels);
        total += read;
    }
    sf_close(sound);
    // Float files may hold anything; the output takes levels within full scale only.
    for (float& sample : clip.samples) {
        sample = std::isfinite(sample) ? std::clamp(sample, -1.0f, 1.0f) : 0.0f;
    }
    if (total == 0) {
        setReason(why, QStringLiteral("no samples"));
        return std::nullopt;
    }
    return clip;
}

std::optional<SoundClip> decodeFile(const QString& path, QString* why) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists()) {
        setReason(why, QStringLiteral("no such file"));
        return std::nullopt;
    }
    if (!info.isFile()) {
        setReason(why, QStringLiteral("not a regular file"));
        return std::nullopt;
    }
    if (info.size() > MaxFileBytes) {
        setReason(why, QStringLiteral("larger than %1 bytes").arg(MaxFileBytes));
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        setReason(why, file.errorString());
        return std::nullopt;
    }
    // read() rather than readAll(): the file may have grown since it was measured.
    const QByteArray bytes = file.read(MaxFileBytes);
    return decode(bytes, why);
}

} // namespace soundclip
