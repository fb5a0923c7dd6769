// The team names are sized for the board's outer window, which a window manager's frame makes
// larger only after the window is on screen. Here the test plays that window manager on a bare X
// server: it puts the shown board into a frame, as a reparenting window manager does.
#include "boardfixture.h"
#include "platform/twips.h"
#include "presentation/stretch.h"

#include <X11/Xlib.h>
#include <cmath>

class TestTeamNamesX11 : public QObject {
    Q_OBJECT

private slots:
    void resizedWhenTheFrameArrives();
};

namespace {

double teamPoints(QSize outer) {
    const double size =
        modStretch::RSize(double(Settings.TeamSize.roundHalfEven()), twips::fromPixels(outer.width()),
                          twips::fromPixels(outer.height()));
    return std::nearbyint(size);
}

} // namespace

void TestTeamNamesX11::resizedWhenTheFrameArrives() {
    if (QGuiApplication::platformName() != u"xcb") {
        QSKIP("needs an X server");
    }
    // GIVEN the board shown on an X server with no window manager: outer size = client size
    BoardFixture f;
    QVERIFY(QTest::qWaitForWindowExposed(f.board.get()));
    auto* home = f.board->findChild<QLabel*>(QStringLiteral("lblHome"));
    const QSize client = f.board->size();
    QCOMPARE(home->font().pointSizeF(), teamPoints(client));

    // WHEN a frame 80 pixels wider and 100 taller takes it in, at the place it had
    constexpr int Left = 40, Top = 60, Right = 40, Bottom = 40;
    Display* display = XOpenDisplay(nullptr);
    QVERIFY(display != nullptr);
    const auto window = static_cast<Window>(f.board->winId());
    const QPoint at = f.board->geometry().topLeft();
    const Window root = DefaultRootWindow(display);
    const Window frame = XCreateSimpleWindow(display, root, at.x(), at.y(), client.width() + Left + Right,
                                             client.height() + Top + Bottom, 0, 0, 0);
    XReparentWindow(display, window, frame, Left, Top);
    XMapWindow(display, frame);
    // A window manager tells the client where it now is on the screen.
    XEvent moved{};
    moved.xconfigure.type = ConfigureNotify;
    moved.xconfigure.display = display;
    moved.xconfigure.event = window;
    moved.xconfigure.window = window;
    moved.xconfigure.x = at.x() + Left;
    moved.xconfigure.y = at.y() + Top;
    moved.xconfigure.width = client.width();
    moved.xconfigure.height = client.height();
    XSendEvent(display, window, False, StructureNotifyMask, &moved);
    XSync(display, False);

    // THEN the names are sized for the framed window, without any resize of the board
    const QSize outer = client + QSize(Left + Right, Top + Bottom);
    QTRY_COMPARE(f.board->frameGeometry().size(), outer);
    QVERIFY(teamPoints(outer) != teamPoints(client));
    QTRY_COMPARE(home->font().pointSizeF(), teamPoints(outer));
    QCOMPARE(f.board->size(), client);

    XReparentWindow(display, window, root, at.x(), at.y());
    XDestroyWindow(display, frame);
    XCloseDisplay(display);
}

QTEST_MAIN(TestTeamNamesX11)
#include "tst_teamnames_x11.moc"
