#pragma once

// Files the tests make for the program to read.

#include <QByteArray>
#include <QString>

namespace testfiles {

constexpr int Pcm = 1;
constexpr int Float = 3;

// A RIFF wave with a plain 16-byte format chunk around `samples`. `declared` replaces the
// data chunk's size field; `extraChunk` goes in before the data chunk.
QByteArray wave(int formatTag, int channels, quint32 rate, int bits, const QByteArray& samples,
                qint64 declared = -1, const QByteArray& extraChunk = {});

// Writes `bytes` to `path`; the path, or an empty string when it could not be written.
QString write(const QString& path, const QByteArray& bytes);

} // namespace testfiles
