// The help window: its sizing rules, what it shows with and without the manual, and that asking for
// it again brings back the one window.
#include "help/frmhelp.h"
#include "platform/twips.h"
#include "support/logcapture.h"
#include "support/testfiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <optional>

namespace {

QString sourceDir() {
    return QStringLiteral(RAVENMARK_SOURCE_DIR "/tests/help");
}

int helpWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        n += w->objectName() == u"frmHelp" && w->isVisible() ? 1 : 0;
    }
    return n;
}

} // namespace

class TestHelpViewer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_log.emplace("ravenmark.help"); }
    void init() { m_log->clear(); }

    void sizes_data();
    void sizes();
    void boxFollowsWindow_data();
    void boxFollowsWindow();
    void contents_data();
    void contents();
    void unreadableFileLeavesOneLine();
    void presentShowsOneWindow();
    void whiteAroundTheText();
    void shippedManual();

private:
    std::optional<LogCapture> m_log;
};

void TestHelpViewer::sizes_data() {
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QSize>("snapped");
    QTest::addColumn<QSize>("box");
    QTest::addColumn<int>("wrap");

    QTest::newRow("6000 x 5000") << QSize(6000, 5000) << QSize(6000, 5000) << QSize(5760, 4580) << 5310;
    QTest::newRow("design size") << QSize(11055, 9270) << QSize(11055, 9270) << QSize(10815, 8850) << 10365;
    QTest::newRow("exactly the minimum")
        << QSize(2700, 1700) << QSize(2700, 1700) << QSize(2460, 1280) << 2010;
    QTest::newRow("too narrow") << QSize(2699, 4000) << QSize(2700, 4000) << QSize(2460, 3580) << 2010;
    QTest::newRow("too low") << QSize(4000, 1699) << QSize(4000, 1700) << QSize(3760, 1280) << 3310;
    QTest::newRow("both too small") << QSize(0, 0) << QSize(2700, 1700) << QSize(2460, 1280) << 2010;
    QTest::newRow("negative") << QSize(-500, -500) << QSize(2700, 1700) << QSize(2460, 1280) << 2010;
}

void TestHelpViewer::sizes() {
    QFETCH(QSize, window);
    const helplayout::Sizes s = helplayout::forWindow(window);
    QTEST(s.window, "snapped");
    QTEST(s.box, "box");
    QTEST(s.wrapWidth, "wrap");
}

void TestHelpViewer::boxFollowsWindow_data() {
    QTest::addColumn<QSize>("requestedPixels");
    QTest::addColumn<QSize>("windowPixels");
    QTest::addColumn<QSize>("boxPixels");
    QTest::addColumn<int>("wrapPixels");

    // 6000 x 5000 twips is 400 x 333 pixels (333 pixels are 4995 twips).
    QTest::newRow("400 x 400") << QSize(400, 400) << QSize(400, 400) << QSize(384, 372) << 354;
    QTest::newRow("400 x 333") << QSize(400, 333) << QSize(400, 333) << QSize(384, 305) << 354;
    // Below the minimum of 2700 x 1700 twips the window snaps back to it: 180 x 114 pixels, as
    // 113 pixels would be only 1695 twips.
    QTest::newRow("shrunk below the minimum") << QSize(50, 20) << QSize(180, 114) << QSize(164, 86) << 134;
}

void TestHelpViewer::boxFollowsWindow() {
    QFETCH(QSize, requestedPixels);
    QTemporaryDir dir;
    frmHelp help(dir.path());
    help.show();
    help.resize(requestedPixels);
    QTEST(help.size(), "windowPixels");
    QTEST(help.textBox()->size(), "boxPixels");
    QTEST(help.textBox()->lineWrapColumnOrWidth(), "wrapPixels");
    QCOMPARE(help.textBox()->pos(), QPoint(8, 0));
    QCOMPARE(help.textBox()->lineWrapMode(), QTextEdit::FixedPixelWidth);

    // Minimised and restored, the box is sized to the restored window.
    help.showMinimized();
    help.showNormal();
    help.resize(400, 400);
    QCOMPARE(help.textBox()->size(), QSize(384, 372));
}

void TestHelpViewer::contents_data() {
    QTest::addColumn<QByteArray>("file"); // "<none>" for no file at all
    QTest::addColumn<QString>("shown");

    QTest::newRow("missing")
        << QByteArray("<none>")
        << "Help file has been moved from its normal location.  Please reinstall the program.";
    QTest::newRow("rich text") << QByteArray("{\\rtf1 Keys\\par {\\b S} starts the clock.}")
                               << "Keys\nS starts the clock.";
    QTest::newRow("not rich text is shown as it is") << QByteArray("plain words") << "plain words";
    QTest::newRow("empty file") << QByteArray("") << "";
}

void TestHelpViewer::contents() {
    QFETCH(QByteArray, file);
    QTemporaryDir dir;
    if (file != "<none>") {
        QVERIFY(!testfiles::write(dir.filePath(QStringLiteral("ravenmarkhelpfile.rtf")), file).isEmpty());
    }
    frmHelp help(dir.path());
    QTEST(help.textBox()->toPlainText(), "shown");
    QVERIFY(help.textBox()->isReadOnly());
    QCOMPARE(help.windowTitle(), QStringLiteral("Ravenmark Help"));
    QVERIFY(m_log->lines().isEmpty());
}

void TestHelpViewer::unreadableFileLeavesOneLine() {
    // GIVEN something under the manual's name that cannot be read as a file
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ravenmarkhelpfile.rtf")));
    // WHEN the viewer opens
    frmHelp help(dir.path());
    // THEN it says to reinstall, and the log has one line naming the file
    QCOMPARE(help.textBox()->toPlainText(), QString::fromLatin1(frmHelp::MissingText));
    QCOMPARE(m_log->lines().size(), 1);
    QVERIFY(m_log->lines().first().contains(QStringLiteral("ravenmarkhelpfile.rtf")));
}

void TestHelpViewer::presentShowsOneWindow() {
    QTemporaryDir dir;
    QVERIFY(!testfiles::write(dir.filePath(QStringLiteral("ravenmarkhelpfile.rtf")), "{\\rtf1 manual}")
                 .isEmpty());
    HelpLauncher launcher(dir.path());
    QVERIFY(launcher.window() == nullptr);
    QCOMPARE(helpWindows(), 0);

    frmHelp* first = launcher.present();
    QVERIFY(first != nullptr && first->isVisible());
    QCOMPARE(launcher.present(), first);
    QCOMPARE(helpWindows(), 1);

    // Closed by the operator, the manual replaced, and asked for again: the new manual, at the
    // window's first size.
    first->resize(300, 200);
    first->close();
    QCOMPARE(helpWindows(), 0);
    QVERIFY(!testfiles::write(dir.filePath(QStringLiteral("ravenmarkhelpfile.rtf")), "{\\rtf1 new manual}")
                 .isEmpty());
    frmHelp* again = launcher.present();
    QCOMPARE(helpWindows(), 1);
    QCOMPARE(again->textBox()->toPlainText(), QStringLiteral("new manual"));
    QCOMPARE(again->size(), twips::toPixels(QSize(helplayout::DesignWidth, helplayout::DesignHeight)));

    // Minimised and asked for again: restored, the same window.
    again->showMinimized();
    QCOMPARE(launcher.present(), again);
    QVERIFY(!again->isMinimized());
    QCOMPARE(helpWindows(), 1);

    // The manual never keeps the program alive after the board has gone.
    QVERIFY(!again->testAttribute(Qt::WA_QuitOnClose));
}

void TestHelpViewer::whiteAroundTheText() {
    QTemporaryDir dir;
    QVERIFY(!testfiles::write(dir.filePath(QStringLiteral("ravenmarkhelpfile.rtf")),
                              "{\\rtf1{\\colortbl;\\red255\\green0\\blue0;}\\fs72\\cf1 RED RED RED}")
                 .isEmpty());
    frmHelp help(dir.path());
    help.resize(400, 300);
    help.show();
    const QImage shot = help.grab().toImage();
    // The strip left of the box is the window's own white.
    QCOMPARE(shot.pixelColor(3, 150), QColor(Qt::white));
    // The red text reaches the screen.
    int red = 0;
    for (int y = 0; y < 80; ++y) {
        for (int x = 8; x < 300; ++x) {
            const QColor c = shot.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 80 && c.blue() < 80 ? 1 : 0;
        }
    }
    QVERIFY2(red > 100, qPrintable(QString::number(red)));
}

void TestHelpViewer::shippedManual() {
    // The manual that ships beside the program reads as a manual: headings, the keys, where settings live.
    const QString folder = sourceDir() + QStringLiteral("/../../resources");
    if (!QFileInfo::exists(folder + QStringLiteral("/ravenmarkhelpfile.rtf"))) {
        QFAIL("the generated manual is missing from resources/");
    }
    frmHelp help(folder);
    const QString text = help.textBox()->toPlainText();
    for (const char* phrase : {"Getting started", "F1", "F2", "Backspace", "Page Up", "NumLock", "bypass",
                               "Ravenmark.conf", "minutes.seconds.tenth"}) {
        QVERIFY2(text.contains(QString::fromLatin1(phrase)), phrase);
    }
    QVERIFY(!text.contains(QStringLiteral("\\par")));
    bool hasHeading = false;
    for (QTextBlock b = help.textBox()->document()->begin(); b.isValid(); b = b.next()) {
        hasHeading = hasHeading || b.blockFormat().headingLevel() == 1;
    }
    QVERIFY(hasHeading);
}

QTEST_MAIN(TestHelpViewer)
#include "tst_helpviewer.moc"
