// Decoding the buzzer's file: what a wave header claims is checked against what the
// file holds, and every sample that is there is kept.

#include "platform/soundclip.h"
#include "support/testfiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <cmath>

using namespace Qt::StringLiterals;

class TestSoundClip : public QObject {
    Q_OBJECT

private slots:
    void decode_data();
    void decode();
    void pcmSamplesAreScaledToFullRange();
    void filesThatAreNotRead_data();
    void filesThatAreNotRead();
};

namespace {

using testfiles::Float;
using testfiles::Pcm;

// A wave file of `frames` frames of the given plain layout, the samples a fixed pattern.
QByteArray wave(int formatTag, int channels, quint32 rate, int bits, quint32 frames, qint64 declared = -1,
                const QByteArray& extraChunk = {}) {
    QByteArray samples(qsizetype(frames) * channels * bits / 8, '\0');
    for (qsizetype i = 0; i < samples.size(); ++i) {
        samples[i] = char(i * 37 % 200);
    }
    return testfiles::wave(formatTag, channels, rate, bits, samples, declared, extraChunk);
}

} // namespace

void TestSoundClip::decode_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("rate");
    // -1: not decodable
    QTest::addColumn<qint64>("frames");

    QTest::newRow("16-bit mono 44.1 kHz") << wave(Pcm, 1, 44100, 16, 4410) << 1 << 44100 << qint64(4410);
    QTest::newRow("8-bit stereo 8 kHz") << wave(Pcm, 2, 8000, 8, 800) << 2 << 8000 << qint64(800);
    QTest::newRow("24-bit mono 96 kHz") << wave(Pcm, 1, 96000, 24, 960) << 1 << 96000 << qint64(960);
    QTest::newRow("32-bit float stereo 48 kHz")
        << wave(Float, 2, 48000, 32, 480) << 2 << 48000 << qint64(480);
    QTest::newRow("data size claims 0x7FFFF000 bytes: what is there plays")
        << wave(Pcm, 1, 44100, 16, 4410, 0x7FFFF000) << 1 << 44100 << qint64(4410);
    QTest::newRow("data size claims 0xFFFFFFFF bytes: what is there plays")
        << wave(Pcm, 1, 44100, 16, 4410, 0xFFFFFFFF) << 1 << 44100 << qint64(4410);
    QTest::newRow("data size claims a little more than there is")
        << wave(Pcm, 1, 44100, 16, 4410, 4410 * 2 + 100) << 1 << 44100 << qint64(4410);
    {
        QByteArray odd("junk\x03\0\0\0abc", 11);
        odd.append('\0'); // the pad byte that keeps chunks at even offsets
        QTest::newRow("odd-size chunk with its pad byte before the data")
            << wave(Pcm, 1, 22050, 16, 2205, -1, odd) << 1 << 22050 << qint64(2205);
    }
    QTest::newRow("longer than the longest horn is cut")
        << wave(Pcm, 1, 8000, 8, 8000 * 61) << 1 << 8000 << qint64(8000 * soundclip::MaxPlayMs / 1000);
    QTest::newRow("no samples") << wave(Pcm, 1, 44100, 16, 0) << 0 << 0 << qint64(-1);
    QTest::newRow("header only, cut in the fmt chunk")
        << wave(Pcm, 1, 44100, 16, 100).left(30) << 0 << 0 << qint64(-1);
    QTest::newRow("text") << QByteArray("not a sound at all\n") << 0 << 0 << qint64(-1);
    QTest::newRow("empty") << QByteArray() << 0 << 0 << qint64(-1);
    QTest::newRow("zero channels") << wave(Pcm, 0, 44100, 16, 0) + QByteArray(100, 'x') << 0 << 0
                                   << qint64(-1);
}

void TestSoundClip::decode() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, channels);
    QFETCH(int, rate);
    QFETCH(qint64, frames);

    QString why;
    const std::optional<SoundClip> clip = soundclip::decode(bytes, &why);

    if (frames < 0) {
        QVERIFY(!clip.has_value());
        QVERIFY2(!why.isEmpty(), "a reason for the log");
        return;
    }
    QVERIFY2(clip.has_value(), qPrintable(why));
    QCOMPARE(clip->channels, channels);
    QCOMPARE(clip->sampleRate, rate);
    QCOMPARE(clip->frames(), frames);
    QCOMPARE(qint64(clip->samples.size()), frames * channels);
}

void TestSoundClip::pcmSamplesAreScaledToFullRange() {
    // GIVEN 16-bit samples at full scale, zero and half scale
    QByteArray samples;
    for (qint16 s : {32767, 0, -16384, -32768}) {
        samples.append(reinterpret_cast<const char*>(&(s = qToLittleEndian(s))), 2);
    }
    const QByteArray b = testfiles::wave(Pcm, 1, 8000, 16, samples);

    // THEN they come out as floats of the same level
    const std::optional<SoundClip> clip = soundclip::decode(b);
    QVERIFY(clip.has_value());
    QCOMPARE(clip->frames(), qint64(4));
    QVERIFY(std::abs(clip->samples[0] - 1.0f) < 1e-3f);
    QCOMPARE(clip->samples[1], 0.0f);
    QVERIFY(std::abs(clip->samples[2] + 0.5f) < 1e-3f);
    QVERIFY(std::abs(clip->samples[3] + 1.0f) < 1e-3f);
}

void TestSoundClip::filesThatAreNotRead_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("reason");

    QTest::newRow("missing") << u"missing.wav"_s << u"no such file"_s;
    QTest::newRow("directory") << u"."_s << u"not a regular file"_s;
    QTest::newRow("empty name") << u""_s << u"no such file"_s;
}

void TestSoundClip::filesThatAreNotRead() {
    QFETCH(QString, name);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    QString why;
    QVERIFY(!soundclip::decodeFile(name.isEmpty() ? name : dir.filePath(name), &why));
    QCOMPARE(why, reason);

    // AND a file of the same bytes that can be read decodes
    const QString good = dir.filePath("good.wav");
    QFile file(good);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(wave(Pcm, 1, 8000, 16, 80));
    file.close();
    QCOMPARE(soundclip::decodeFile(good)->frames(), qint64(80));
}

QTEST_GUILESS_MAIN(TestSoundClip)
#include "tst_soundclip.moc"
