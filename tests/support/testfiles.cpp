#include "support/testfiles.h"

#include <QFile>
#include <QtEndian>

namespace testfiles {

namespace {

void u16(QByteArray& b, quint16 v) {
    b.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 2);
}
void u32(QByteArray& b, quint32 v) {
    b.append(reinterpret_cast<const char*>(&(v = qToLittleEndian(v))), 4);
}

} // namespace

QByteArray wave(int formatTag, int channels, quint32 rate, int bits, const QByteArray& samples,
                qint64 declared, const QByteArray& extraChunk) {
    const int align = channels * bits / 8;
    QByteArray b("RIFF");
    u32(b, 0);
    b.append("WAVEfmt ");
    u32(b, 16);
    u16(b, quint16(formatTag));
    u16(b, quint16(channels));
    u32(b, rate);
    u32(b, rate * quint32(align));
    u16(b, quint16(align));
    u16(b, quint16(bits));
    b.append(extraChunk);
    b.append("data");
    u32(b, declared >= 0 ? quint32(declared) : quint32(samples.size()));
    b.append(samples);
    qToLittleEndian(quint32(b.size() - 8), b.data() + 4);
    return b;
}

QString write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

} // namespace testfiles
