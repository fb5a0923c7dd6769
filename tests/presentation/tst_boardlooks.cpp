// The board in each look the operator can give it, at the design size and on large screens:
// the window is filled, the board centred, and the chosen colours and pictures on screen.
// With RAVENMARK_SCREENSHOT_DIR set, each look is also saved there as a picture.
#include "presentedboard.h"
#include "support/pixels.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

using namespace pixels;

namespace {

enum class Look { Default, Colours, Dots, Pictures };

} // namespace

Q_DECLARE_METATYPE(Look)

class TestBoardLooks : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void looks_data();
    void looks();

private:
    QTemporaryDir m_dir;
};

void TestBoardLooks::looks_data() {
    QTest::addColumn<Look>("look");
    QTest::addColumn<QSize>("size");
    QTest::newRow("board-default") << Look::Default << QSize(632, 453);
    QTest::newRow("board-default-1920x1080") << Look::Default << QSize(1920, 1080);
    QTest::newRow("board-default-3840x2160") << Look::Default << QSize(3840, 2160);
    QTest::newRow("board-colours") << Look::Colours << QSize(632, 453);
    QTest::newRow("board-colours-1920x1080") << Look::Colours << QSize(1920, 1080);
    QTest::newRow("board-dots") << Look::Dots << QSize(632, 453);
    QTest::newRow("board-dots-1920x1080") << Look::Dots << QSize(1920, 1080);
    QTest::newRow("board-pictures") << Look::Pictures << QSize(632, 453);
    QTest::newRow("board-pictures-1920x1080") << Look::Pictures << QSize(1920, 1080);
}

void TestBoardLooks::looks() {
    QFETCH(Look, look);
    QFETCH(QSize, size);
    PresentedBoard b;
    switch (look) {
    case Look::Default:
        break;
    case Look::Colours:
        Settings.FormBack = 0x402010;
        Settings.TimeColor = 0x00FFFF;
        Settings.ScoreColor = 0xFFFF00;
        Settings.PeriodColor = 0xFF00FF;
        Settings.LEDBack = 0x301818;
        Settings.LEDSelected = 0x0080FF;
        Settings.BorderColor = 0x80FFC0;
        Settings.HomeColor = 0x4080FF;
        Settings.VisitorColor = 0xFF8040;
        Settings.HomeText = QStringLiteral("Ravens");
        Settings.VisitorText = QStringLiteral("Owls");
        b.colours();
        break;
    case Look::Dots:
        Settings.LEDType = 1;
        break;
    case Look::Pictures: {
        // Three pictures of different shapes: a crest, a wide banner and a tall pennant.
        const auto make = [&](const char* name, QSize s, QColor a, QColor c) {
            QImage image(s, QImage::Format_RGB32);
            image.fill(a);
            QPainter p(&image);
            p.setRenderHint(QPainter::Antialiasing);
            p.setBrush(c);
            p.setPen(Qt::NoPen);
            p.drawEllipse(
                QRectF(image.rect())
                    .adjusted(s.width() / 8.0, s.height() / 8.0, -s.width() / 8.0, -s.height() / 8.0));
            const QString path = m_dir.filePath(QLatin1String(name));
            image.save(path);
            return path;
        };
        Settings.HomePic = make("home.png", {400, 400}, QColor(20, 40, 140), QColor(240, 200, 40));
        Settings.VisitorPic = make("visitor.jpg", {900, 300}, QColor(140, 20, 30), Qt::white);
        Settings.BoardPic = make("board.bmp", {200, 500}, QColor(20, 120, 60), QColor(250, 250, 250));
        break;
    }
    }
    b.labels();
    QVERIFY(b.resizeTo(size.width(), size.height()));
    if (look == Look::Colours) {
        b.focus("digHome"); // shows the selection marker in its colour
    }
    const QImage shot = b.shot();
    QCOMPARE(shot.size(), size * b.board->devicePixelRatioF());

    // Filled: the window colour at the corners; the clocks in their colour.
    const QRgb background = rgbOf(Settings.FormBack);
    for (const QPoint p : {QPoint(0, 0), QPoint(shot.width() - 1, shot.height() - 1)}) {
        QCOMPARE(shot.pixel(p) | 0xFF000000u, background | 0xFF000000u);
    }
    QVERIFY(contains(shot, rgbOf(Settings.TimeColor)));
    if (look == Look::Pictures) {
        QVERIFY(b.imgHomePic->hasPicture() && b.imgVisitorPic->hasPicture() && b.imgBoardPic->hasPicture());
        QVERIFY(contains(shot, qRgb(240, 200, 40)));
    }

    const QString out = qEnvironmentVariable("RAVENMARK_SCREENSHOT_DIR");
    if (!out.isEmpty()) {
        QVERIFY(QDir().mkpath(out));
        QVERIFY(shot.save(
            QDir(out).filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".png"))));
    }
}

QTEST_MAIN(TestBoardLooks)
#include "tst_boardlooks.moc"
