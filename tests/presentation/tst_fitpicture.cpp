#include "presentedboard.h"
#include "support/logcapture.h"
#include "support/pixels.h"
#include "support/settingsguard.h"
#include "support/testfiles.h"

#include <QAccessible>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>
#include <optional>

using namespace pixels;

namespace {

// A baseline grey JPEG of any size whose every 8 x 8 block is flat mid-grey. Both Huffman
// tables hold one 1-bit code (DC difference 0, end of block), so a block is two zero bits
// and the scan is all zero bytes: 40000 x 30000 pixels in under 5 MB, written in a moment.
void writeFlatJpeg(const QString& path, int width, int height) {
    QByteArray head;
    const auto u16 = [&head](int v) {
        head.append(char((v >> 8) & 0xFF));
        head.append(char(v & 0xFF));
    };
    head.append("\xFF\xD8", 2);                             // start of image
    head.append("\xFF\xDB", 2), u16(67), head.append('\0'); // quantisation table 0, all ones
    head.append(QByteArray(64, '\1'));
    head.append("\xFF\xC0", 2), u16(11), head.append('\x08'); // baseline frame, 8 bits
    u16(height), u16(width);
    head.append("\x01\x01\x11\x00", 4); // one component, no subsampling, table 0
    for (const char tableClass : {'\x00', '\x10'}) {
        head.append("\xFF\xC4", 2), u16(2 + 1 + 16 + 1), head.append(tableClass);
        head.append('\1'), head.append(QByteArray(15, '\0')), head.append('\0');
    }
    head.append("\xFF\xDA", 2), u16(8), head.append("\x01\x01\x00\x00\x3F\x00", 6); // scan
    const qint64 blocks = qint64((width + 7) / 8) * ((height + 7) / 8);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(head);
    const QByteArray zeros(1 << 20, '\0');
    qint64 left = (blocks * 2 + 7) / 8;
    while (left > 0) {
        const qint64 n = std::min<qint64>(left, zeros.size());
        QCOMPARE(file.write(zeros.constData(), n), n);
        left -= n;
    }
    // Pad a partly used last byte with ones, as the format wants.
    if (blocks % 4 != 0) {
        file.seek(file.pos() - 1);
        file.write(QByteArray(1, char(0xFF >> ((blocks % 4) * 2))));
        file.write(QByteArray(1, '\0')); // the 0xFF-like byte needs no stuffing below 0xFF
    }
    file.write("\xFF\xD9", 2);
}

// A 2 x 1 GIF with both pixels red: Qt writes no GIF, so the bytes are spelled out.
QByteArray redGif2x1() {
    return QByteArray::fromHex("474946383961"         // GIF89a
                               "02000100800000"       // 2 x 1, a global table of two colours
                               "ff0000000000"         // red, black
                               "2c000000000200010000" // the image, 2 x 1
                               "0202040a00"           // LZW: clear, 0, 0, end
                               "3b");
}

// Decoders and scaling smooth a picture's colour this much.
constexpr int Smoothed = 24;

constexpr QSize HomeFrame(131, 77); // the team pictures' frames at the design size
constexpr QSize BoardFrame(97, 73);

// One picture element of the board on its own: the image in its frame, whose colour shows
// around the picture.
struct PictureFrame {
    static constexpr std::int32_t Colour = 0x404040;
    QWidget frame;
    ImageBox* image = new ImageBox(&frame);

    explicit PictureFrame(QSize size) {
        frame.resize(size);
        image->resize(size);
        modColor::setBackground(frame, Colour);
        frame.show();
    }
    void fit(const QString& path) { modGrabKeys::FitPicture(*image, frame, path); }
    QImage shot() { return frame.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

} // namespace

class TestFitPicture : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void fittedRect_data();
    void fittedRect();
    void formatsFitTheBoardFrame_data();
    void formatsFitTheBoardFrame();
    void unreadableFileKeepsPicture_data();
    void unreadableFileKeepsPicture();
    void emptyPathShowsNoPicture();
    void hugePictureReadAtShownSize();
    void resizeFitsAgainAtTheNewSize();

private:
    QTemporaryDir m_dir;
    std::optional<LogCapture> m_log;
    QString file(const QString& name) const { return m_dir.filePath(name); }
};

void TestFitPicture::initTestCase() {
    QVERIFY(m_dir.isValid());
    installImageBoxAccessibility(); // the board's doing; here the images stand alone
    m_log.emplace("ravenmark.presentation");
}

void TestFitPicture::init() {
    m_log->clear();
}

void TestFitPicture::fittedRect_data() {
    QTest::addColumn<QSizeF>("picture");
    QTest::addColumn<QSizeF>("frame");
    QTest::addColumn<QRectF>("expected");
    QTest::newRow("2:1 in a square") << QSizeF(200, 100) << QSizeF(100, 100) << QRectF(0, 25, 100, 50);
    QTest::newRow("beyond 16 bits") << QSizeF(40000, 30000) << QSizeF(97, 73) << QRectF(0, 0.125, 97, 72.75);
    QTest::newRow("beyond 32 bits of area")
        << QSizeF(65500, 65500) << QSizeF(4000, 2000) << QRectF(1000, 0, 2000, 2000);
    QTest::newRow("frame without area") << QSizeF(10, 10) << QSizeF(0, 73) << QRectF(0, 0, 0, 73);
    QTest::newRow("no picture") << QSizeF(0, 0) << QSizeF(97, 73) << QRectF();
}

void TestFitPicture::fittedRect() {
    QFETCH(QSizeF, picture);
    QFETCH(QSizeF, frame);
    QFETCH(QRectF, expected);
    QCOMPARE(modGrabKeys::FittedRect(picture, frame), expected);
}

void TestFitPicture::formatsFitTheBoardFrame_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("place"); // in the 97 x 73 board picture frame
    QTest::newRow("2:1 bmp") << "wide.bmp" << QSize(200, 100) << QRect(0, 12, 97, 49);
    QTest::newRow("2:1 png") << "wide.png" << QSize(200, 100) << QRect(0, 12, 97, 49);
    QTest::newRow("2:1 jpeg") << "wide.jpg" << QSize(200, 100) << QRect(0, 12, 97, 49);
    QTest::newRow("2:1 gif") << "wide.gif" << QSize(2, 1) << QRect(0, 12, 97, 49);
    QTest::newRow("frame's proportions") << "exact.png" << QSize(194, 146) << QRect(0, 0, 97, 73);
    QTest::newRow("10x10 icon") << "icon.png" << QSize(10, 10) << QRect(12, 0, 73, 73);
    QTest::newRow("tall") << "tall.bmp" << QSize(30, 300) << QRect(45, 0, 7, 73);
}

void TestFitPicture::formatsFitTheBoardFrame() {
    QFETCH(QString, name);
    QFETCH(QSize, size);
    QFETCH(QRect, place);
    const QString path = file(name);
    if (name.endsWith(QLatin1String(".gif"))) {
        QVERIFY(!testfiles::write(path, redGif2x1()).isEmpty());
    } else {
        QVERIFY(filled(size, Qt::red).save(path));
    }
    PictureFrame p(BoardFrame);
    p.fit(path);
    QCOMPARE(p.image->geometry(), place);
    QCOMPARE(p.image->source().naturalSize, size);
    QVERIFY(p.image->isVisible());

    // What the audience sees: the picture where it was placed, the frame's colour around it.
    const QImage shot = p.shot();
    const QRgb background = rgbOf(PictureFrame::Colour);
    QVERIFY(near(shot.pixel(place.center()), qRgb(255, 0, 0), Smoothed));
    if (place.top() > 1) {
        QCOMPARE(shot.pixel(BoardFrame.width() / 2, place.top() - 2), background);
        QCOMPARE(shot.pixel(BoardFrame.width() / 2, place.bottom() + 2), background);
        QVERIFY(near(shot.pixel(BoardFrame.width() / 2, place.top() + 1), qRgb(255, 0, 0), Smoothed));
    }
    if (place.left() > 1) {
        QCOMPARE(shot.pixel(place.left() - 2, BoardFrame.height() / 2), background);
        QCOMPARE(shot.pixel(place.right() + 2, BoardFrame.height() / 2), background);
    }
    QVERIFY(m_log->lines().isEmpty());
}

void TestFitPicture::unreadableFileKeepsPicture_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    const QByteArray png = encoded(filled(QSize(50, 50), Qt::green), "PNG");
    QTest::newRow("missing") << "missing.png" << QByteArray() << false;
    QTest::newRow("zero bytes") << "empty.jpg" << QByteArray() << true;
    QTest::newRow("text named .jpg") << "notes.jpg" << QByteArray("Home team: Ravens\nVisitor: Owls\n")
                                     << true;
    QTest::newRow("truncated png") << "cut.png" << png.left(60) << true;
    QTest::newRow("garbage bmp") << "noise.bmp" << QByteArray::fromHex("424dffffff7f2067617262616765")
                                 << true;
    QTest::newRow("a folder") << "folder.png" << QByteArray() << false;
}

void TestFitPicture::unreadableFileKeepsPicture() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    const QString good = file(QStringLiteral("good.png"));
    QVERIFY(filled(QSize(300, 100), Qt::blue).save(good));
    const QString bad = file(name);
    if (exists) {
        QVERIFY(!testfiles::write(bad, content).isEmpty());
    } else if (name == QLatin1String("folder.png")) {
        QVERIFY(QDir(m_dir.path()).mkpath(name));
    }

    PictureFrame home(HomeFrame);
    home.fit(good);
    const QImage before = home.shot();
    const QRect place = home.image->geometry();
    const qint64 key = home.image->picture().cacheKey();
    QVERIFY(m_log->lines().isEmpty());

    home.fit(bad);
    QCOMPARE(home.image->picture().cacheKey(), key);
    QCOMPARE(home.image->geometry(), place);
    QVERIFY(home.image->isVisible());
    QCOMPARE(home.shot(), before);
    QCOMPARE(m_log->lines().size(), 1);
    QVERIFY2(m_log->lines().first().contains(bad), qPrintable(m_log->lines().first()));

    // Every resize fits again; the same bad file is reported once only.
    home.fit(bad);
    QCOMPARE(m_log->lines().size(), 1);
    // Nor after a good file in between, or in another picture element: once a run.
    home.fit(good);
    home.fit(bad);
    PictureFrame(BoardFrame).fit(bad);
    QCOMPARE(m_log->lines().size(), 1);
    // A file that changes is read, and reported, afresh.
    if (exists) {
        QFile f(bad);
        QVERIFY(f.open(QIODevice::Append));
        f.write("more of the same");
        f.close();
        home.fit(bad);
        QCOMPARE(m_log->lines().size(), 2);
    }
}

void TestFitPicture::emptyPathShowsNoPicture() {
    const QString good = file(QStringLiteral("shown.png"));
    QVERIFY(filled(QSize(40, 40), Qt::yellow).save(good));
    PictureFrame visitor(HomeFrame);
    visitor.fit(good);
    QVERIFY(visitor.image->hasPicture());

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(visitor.image);
    QCOMPARE(iface->role(), QAccessible::Graphic);
    QCOMPARE(iface->text(QAccessible::Description), good);

    visitor.fit(QString());
    QVERIFY(!visitor.image->hasPicture());
    QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("No picture"));
    QVERIFY(visitor.image->isVisible());
    const QImage shot = visitor.shot();
    for (const QPoint p : {QPoint(1, 1), shot.rect().center(), QPoint(shot.width() - 2, shot.height() - 2)}) {
        QCOMPARE(shot.pixel(p), rgbOf(PictureFrame::Colour));
    }
    QVERIFY(m_log->lines().isEmpty());
}

void TestFitPicture::hugePictureReadAtShownSize() {
    const QString path = file(QStringLiteral("huge.jpg"));
    writeFlatJpeg(path, 40000, 30000);
    QCOMPARE(QImageReader(path).size(), QSize(40000, 30000));

    PictureFrame p(BoardFrame);
    p.fit(path);
    QVERIFY2(m_log->lines().isEmpty(), qPrintable(m_log->lines().join(u'\n')));
    QVERIFY(p.image->hasPicture());
    QCOMPARE(p.image->geometry(), QRect(QPoint(0, 0), BoardFrame));
    QCOMPARE(p.image->source().naturalSize, QSize(40000, 30000));
    QVERIFY(!p.image->source().fullSize);
    // Held at about the size shown, never in full.
    const QSize held = p.image->picture().size();
    QVERIFY2(held.width() >= 97 && held.width() <= 2 * 97, qPrintable(QString::number(held.width())));
    QVERIFY(near(p.shot().pixel(48, 36), qRgb(128, 128, 128), 4));
}

void TestFitPicture::resizeFitsAgainAtTheNewSize() {
    const QString path = file(QStringLiteral("large.png"));
    QVERIFY(filled(QSize(1000, 500), Qt::red).save(path));
    const SettingsGuard restoresSettings;
    PresentedBoard b;
    Settings.HomePic = path;
    b.labels();
    // The frames at the design size, as the tests of lone frames take them.
    QCOMPARE(b.widget("picHomePicContainer")->size(), HomeFrame);
    QCOMPARE(b.widget("picVisitorPicContainer")->size(), HomeFrame);
    QCOMPARE(b.widget("picBoardPicContainer")->size(), BoardFrame);
    QCOMPARE(b.imgHomePic->geometry(), QRect(0, 6, 131, 65));
    const int heldBefore = b.imgHomePic->picture().width();
    QVERIFY(heldBefore < 1000);

    QVERIFY(b.resizeTo(2 * 632, 2 * 453));
    QCOMPARE(b.widget("picHomePicContainer")->size(), QSize(262, 154));
    QCOMPARE(b.imgHomePic->geometry(), QRect(0, 12, 262, 131));
    QVERIFY(b.imgHomePic->picture().width() >= 262);
    const QImage shot = b.shot(b.widget("picHomePicContainer"));
    QVERIFY(near(shot.pixel(1, 13), qRgb(255, 0, 0), Smoothed));
    QCOMPARE(shot.pixel(1, 8), rgbOf(Settings.FormBack));

    // Back to the design size: the larger picture in hand serves; nothing is read again.
    const qint64 key = b.imgHomePic->picture().cacheKey();
    QVERIFY(b.resizeTo(632, 453));
    QCOMPARE(b.imgHomePic->picture().cacheKey(), key);
    QCOMPARE(b.imgHomePic->geometry(), QRect(0, 6, 131, 65));
}

QTEST_MAIN(TestFitPicture)
#include "tst_fitpicture.moc"
