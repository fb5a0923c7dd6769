#include "platform/wavinfo.h"

#include <QTemporaryDir>
#include <QTest>
#include <limits>

class TestWavInfo : public QObject {
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void readFile();
    void readFileThatCannotBeRead();
};

namespace {

// Builds wave files chunk by chunk, in either byte order.
class WaveBuilder {
public:
    explicit WaveBuilder(bool bigEndian = false) : m_bigEndian(bigEndian) {}

    WaveBuilder& riff(const char* tag = nullptr, const char* form = "WAVE") {
        m_bytes.append(tag ? tag : (m_bigEndian ? "RIFX" : "RIFF"), 4);
        m_riffSizeAt = m_bytes.size();
        u32(0);
        m_bytes.append(form, 4);
        return *this;
    }
    WaveBuilder& fmt(int formatTag, int channels, quint32 rate, int bits, quint32 byteRate = 0,
                     int blockAlign = -1, quint32 chunkSize = 16) {
        const int align = blockAlign >= 0 ? blockAlign : channels * bits / 8;
        chunk("fmt ", chunkSize);
        u16(formatTag);
        u16(channels);
        u32(rate);
        u32(byteRate ? byteRate : rate * align);
        u16(align);
        u16(bits);
        m_bytes.append(QByteArray(chunkSize > 16 ? chunkSize - 16 : 0, '\0'));
        return *this;
    }
    // A chunk header claiming `declared` bytes followed by `actual` bytes of body.
    WaveBuilder& chunk(const char* tag, quint32 declared, qint64 actual = -1) {
        m_bytes.append(tag, 4);
        u32(declared);
        if (actual >= 0) {
            m_bytes.append(QByteArray(actual, '\x11'));
        }
        return *this;
    }
    QByteArray bytes() const {
        QByteArray result = m_bytes;
        if (m_riffSizeAt >= 0) {
            const QByteArray size = encode(static_cast<quint32>(result.size() - 8), 4);
            result.replace(m_riffSizeAt, 4, size);
        }
        return result;
    }

private:
    void u16(quint32 v) { m_bytes.append(encode(v, 2)); }
    void u32(quint32 v) { m_bytes.append(encode(v, 4)); }
    QByteArray encode(quint32 v, int size) const {
        QByteArray out(size, '\0');
        for (int i = 0; i < size; ++i) {
            out[m_bigEndian ? size - 1 - i : i] = static_cast<char>((v >> (8 * i)) & 0xFF);
        }
        return out;
    }

    QByteArray m_bytes;
    qsizetype m_riffSizeAt = -1;
    bool m_bigEndian;
};

constexpr int Pcm = 1;
constexpr quint32 Max32 = std::numeric_limits<quint32>::max();

QByteArray pcm16Mono44k(quint32 dataBytes) {
    return WaveBuilder().riff().fmt(Pcm, 1, 44100, 16).chunk("data", dataBytes, dataBytes).bytes();
}

} // namespace

void TestWavInfo::parse_data() {
    QTest::addColumn<QByteArray>("bytes");
    // -1: the size of `bytes`
    QTest::addColumn<qint64>("fileSize");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<qint64>("dataBytes");
    QTest::addColumn<qint64>("durationMs");

    QTest::newRow("1.5 s 16-bit mono 44.1 kHz")
        << pcm16Mono44k(132300) << qint64(-1) << true << qint64(132300) << qint64(1500);
    QTest::newRow("one sample more rounds up to the next ms")
        << pcm16Mono44k(132302) << qint64(-1) << true << qint64(132302) << qint64(1501);
    QTest::newRow("1 s 16-bit stereo 48 kHz")
        << WaveBuilder().riff().fmt(Pcm, 2, 48000, 16).chunk("data", 192000, 192000).bytes() << qint64(-1)
        << true << qint64(192000) << qint64(1000);
    QTest::newRow("0.5 s 8-bit mono 8 kHz")
        << WaveBuilder().riff().fmt(Pcm, 1, 8000, 8).chunk("data", 4000, 4000).bytes() << qint64(-1) << true
        << qint64(4000) << qint64(500);
    QTest::newRow("2 s 32-bit float stereo 44.1 kHz")
        << WaveBuilder().riff().fmt(3, 2, 44100, 32).chunk("data", 705600, 705600).bytes() << qint64(-1)
        << true << qint64(705600) << qint64(2000);
    QTest::newRow("extensible format with 18-byte fmt")
        << WaveBuilder().riff().fmt(0xFFFE, 1, 44100, 16, 0, -1, 18).chunk("data", 88200, 88200).bytes()
        << qint64(-1) << true << qint64(88200) << qint64(1000);
    QTest::newRow("empty data chunk") << pcm16Mono44k(0) << qint64(-1) << true << qint64(0) << qint64(0);
    QTest::newRow("metadata chunk before fmt and data")
        << WaveBuilder().riff().chunk("LIST", 26, 26).fmt(Pcm, 1, 44100, 16).chunk("data", 8820, 8820).bytes()
        << qint64(-1) << true << qint64(8820) << qint64(100);
    QTest::newRow("odd-sized chunk is padded to an even size") << [] {
        QByteArray b = WaveBuilder().riff().fmt(Pcm, 1, 44100, 16).chunk("junk", 3, 3).bytes();
        b.append('\0');
        return b + WaveBuilder().chunk("data", 882, 882).bytes();
    }() << qint64(-1) << true << qint64(882) << qint64(10);
    QTest::newRow("wrong declared byte rate of plain samples is recomputed")
        << WaveBuilder().riff().fmt(Pcm, 1, 44100, 16, 1).chunk("data", 88200, 88200).bytes() << qint64(-1)
        << true << qint64(88200) << qint64(1000);
    QTest::newRow("block align zero is derived from channels and bits")
        << WaveBuilder().riff().fmt(Pcm, 2, 44100, 16, 0, 0).chunk("data", 176400, 176400).bytes()
        << qint64(-1) << true << qint64(176400) << qint64(1000);
    QTest::newRow("compressed format uses the declared byte rate")
        << WaveBuilder().riff().fmt(2, 1, 22050, 4, 11155, 512, 20).chunk("data", 11155, 11155).bytes()
        << qint64(-1) << true << qint64(11155) << qint64(1000);
    QTest::newRow("big-endian RIFX")
        << WaveBuilder(true).riff().fmt(Pcm, 1, 44100, 16).chunk("data", 44100, 44100).bytes() << qint64(-1)
        << true << qint64(44100) << qint64(500);

    // Truncated or lying sizes: the file decides how much sound there is.
    QTest::newRow("data chunk longer than the file is cut to the file")
        << WaveBuilder().riff().fmt(Pcm, 1, 44100, 16).chunk("data", 882000, 8820).bytes() << qint64(-1)
        << true << qint64(8820) << qint64(100);
    QTest::newRow("streaming size 0xFFFFFFFF is cut to the file")
        << WaveBuilder().riff().fmt(Pcm, 1, 44100, 16).chunk("data", Max32, 88200).bytes() << qint64(-1)
        << true << qint64(88200) << qint64(1000);
    QTest::newRow("only the head of a long file is given")
        << WaveBuilder().riff().fmt(Pcm, 1, 44100, 16).chunk("data", 882000, 100).bytes()
        << qint64(44 + 882000) << true << qint64(882000) << qint64(10000);
    QTest::newRow("huge file with maximum data size")
        << WaveBuilder().riff().fmt(Pcm, 1, 8000, 8).chunk("data", Max32, 0).bytes()
        << std::numeric_limits<qint64>::max() << true << qint64(Max32) << qint64(536870912);
    QTest::newRow("data header at the very end of the file")
        << WaveBuilder().riff().fmt(Pcm, 1, 44100, 16).chunk("data", 1000).bytes() << qint64(-1) << true
        << qint64(0) << qint64(0);

    // Not a usable wave header.
    QTest::newRow("empty") << QByteArray() << qint64(-1) << false << qint64(0) << qint64(0);
    QTest::newRow("shorter than the RIFF header")
        << QByteArray("RIFF\0\0\0\0WAV", 11) << qint64(-1) << false << qint64(0) << qint64(0);
    QTest::newRow("RIFF header only")
        << WaveBuilder().riff().bytes() << qint64(-1) << false << qint64(0) << qint64(0);
    QTest::newRow("not RIFF") << QByteArray("ID3\x04\0\0\0\0\0\0garbage garbage garbage", 33) << qint64(-1)
                              << false << qint64(0) << qint64(0);
    QTest::newRow("RIFF but not WAVE")
        << WaveBuilder().riff(nullptr, "AVI ").fmt(Pcm, 1, 44100, 16).chunk("data", 100, 100).bytes()
        << qint64(-1) << false << qint64(0) << qint64(0);
    QTest::newRow("text") << QByteArray("This is not a sound, just some text in a file.\n") << qint64(-1)
                          << false << qint64(0) << qint64(0);
    QTest::newRow("no data chunk") << WaveBuilder().riff().fmt(Pcm, 1, 44100, 16).bytes() << qint64(-1)
                                   << false << qint64(0) << qint64(0);
    QTest::newRow("data before fmt")
        << WaveBuilder().riff().chunk("data", 100, 100).fmt(Pcm, 1, 44100, 16).bytes() << qint64(-1) << false
        << qint64(0) << qint64(0);
    QTest::newRow("fmt chunk too small")
        << WaveBuilder().riff().chunk("fmt ", 8, 8).chunk("data", 100, 100).bytes() << qint64(-1) << false
        << qint64(0) << qint64(0);
    QTest::newRow("fmt chunk cut off by the end of the bytes")
        << WaveBuilder().riff().chunk("fmt ", 16, 6).bytes() << qint64(-1) << false << qint64(0) << qint64(0);
    QTest::newRow("no channels")
        << WaveBuilder().riff().fmt(Pcm, 0, 44100, 16, 88200, 2).chunk("data", 100, 100).bytes() << qint64(-1)
        << false << qint64(0) << qint64(0);
    QTest::newRow("sample rate zero")
        << WaveBuilder().riff().fmt(Pcm, 1, 0, 16, 88200).chunk("data", 100, 100).bytes() << qint64(-1)
        << false << qint64(0) << qint64(0);
    QTest::newRow("no byte rate can be known")
        << WaveBuilder().riff().fmt(2, 1, 22050, 0, 0, 0).chunk("data", 100, 100).bytes() << qint64(-1)
        << false << qint64(0) << qint64(0);
    QTest::newRow("chunk size runs past the end before data")
        << WaveBuilder()
               .riff()
               .fmt(Pcm, 1, 44100, 16)
               .chunk("LIST", Max32, 10)
               .chunk("data", 100, 100)
               .bytes()
        << qint64(-1) << false << qint64(0) << qint64(0);
    QTest::newRow("all bytes 0xFF") << QByteArray(4096, '\xFF') << qint64(-1) << false << qint64(0)
                                    << qint64(0);
}

void TestWavInfo::parse() {
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, fileSize);
    QFETCH(bool, valid);
    QFETCH(qint64, dataBytes);
    QFETCH(qint64, durationMs);

    const std::optional<wavinfo::WaveInfo> info =
        wavinfo::parse(bytes, fileSize < 0 ? bytes.size() : fileSize);

    QCOMPARE(info.has_value(), valid);
    if (info) {
        // The samples start right after the data chunk's header.
        QCOMPARE(bytes.mid(info->dataOffset - 8, 4), QByteArray("data"));
        QCOMPARE(info->dataBytes, dataBytes);
        QCOMPARE(info->durationMs(), durationMs);
    }
}

void TestWavInfo::readFile() {
    // GIVEN a stereo file on disk whose data chunk claims more than was written
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("short.wav");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(WaveBuilder().riff().fmt(Pcm, 2, 48000, 16).chunk("data", 192000, 19200).bytes());
    file.close();

    // WHEN its header is read
    const std::optional<wavinfo::WaveInfo> info = wavinfo::readFile(path);

    // THEN the format is reported and the length is what the file really holds
    QVERIFY(info.has_value());
    QCOMPARE(info->formatTag, Pcm);
    QCOMPARE(info->channels, 2);
    QCOMPARE(info->sampleRate, 48000);
    QCOMPARE(info->bitsPerSample, 16);
    QCOMPARE(info->dataOffset, 44);
    QCOMPARE(info->dataBytes, 19200);
    QCOMPARE(info->durationMs(), 100);
}

void TestWavInfo::readFileThatCannotBeRead() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(!wavinfo::readFile(dir.filePath("missing.wav")).has_value());
    QVERIFY(!wavinfo::readFile(dir.path()).has_value());
    QVERIFY(!wavinfo::readFile(QString()).has_value());
}

QTEST_GUILESS_MAIN(TestWavInfo)
#include "tst_wavinfo.moc"
