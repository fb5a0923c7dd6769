// Key press to pixels on the X server: the real program on an X server of its own, a key sent through
// XTest, and the time until the server reports drawing (DAMAGE) over the home score read-out. Insert and
// Backspace alternate on the selected home score, with the game clock running, at the board's design
// size, at 1920 x 1080 and at 3840 x 2160. Also, at each size, the game clock's end: from the moment it
// truly reaches zero to 0.0 drawn. Nothing is added to the program: as in bench_startup, the benchmark
// only watches the server. After each size's presses it lists the slowest 1 %, each with how long
// the board had drawn nothing before it and whether other drawing came before the read-out's.
//
// Starts its own Xvfb (3840 x 2160), so it needs no DISPLAY, only Xvfb on the PATH.
//
//   bench_key_x11 [--presses=N] [--clock-ends=N] [--clock-stopped] [--audience] [PROGRAM]
//   PROGRAM: default the build's ravenmark, or $RAVENMARK_PROGRAM
//
// --audience: the same, but the pixels timed are the audience window's, full screen on a 3840 x 2160
// monitor beside the operator's board at 1920 x 1080. That needs two monitors, so it runs on the
// X server in DISPLAY, Xorg with the dummy driver: XORG_VIRTUAL=5760x2160 scripts/with-xorg.sh
// bench_key_x11 --audience. It plugs DUMMY1 in itself.
#include "benchutil.h"
#include "x11watch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>
#include <X11/keysym.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int ScreenWidth = 3840;
constexpr int ScreenHeight = 2160;

pid_t spawn(const std::vector<std::string>& args, const std::vector<std::string>& environment) {
    std::vector<std::string> a = args;
    std::vector<char*> argv;
    for (std::string& s : a) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> e = environment;
    std::vector<char*> envp;
    for (std::string& s : e) {
        envp.push_back(s.data());
    }
    envp.push_back(nullptr);
    pid_t pid = 0;
    if (const int error = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), envp.data())) {
        std::fprintf(stderr, "bench_key_x11: cannot start %s: %s\n", argv[0], std::strerror(error));
        return -1;
    }
    return pid;
}

// Runs a command to its end; true when it succeeded.
bool runToEnd(const std::vector<std::string>& args) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        environment.emplace_back(*entry);
    }
    const pid_t pid = spawn(args, environment);
    int status = 0;
    while (pid > 0 && waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return pid > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The audience's monitor, DUMMY1 at 3840 x 2160 right of DUMMY0 (the dummy driver takes any timings;
// adding the mode a second time fails harmlessly).
bool plugAudienceMonitor() {
    runToEnd({"xrandr", "--newmode", "3840x2160_bench", "262.66", "3840", "3888", "3920", "4000", "2160",
              "2163", "2168", "2200", "+hsync", "-vsync"});
    runToEnd({"xrandr", "--addmode", "DUMMY1", "3840x2160_bench"});
    return runToEnd({"xrandr", "--output", "DUMMY1", "--mode", "3840x2160_bench", "--right-of", "DUMMY0"});
}

void stop(pid_t pid) {
    if (pid <= 0) {
        return;
    }
    kill(pid, SIGTERM);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// Our own X server, big enough for a 4K board: DISPLAY and the server's process.
struct XServer {
    pid_t pid = -1;
    std::string display;
};

std::optional<XServer> startXvfb() {
    int fds[2];
    if (pipe(fds) != 0) {
        return std::nullopt;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    const std::string screen = std::to_string(ScreenWidth) + "x" + std::to_string(ScreenHeight) + "x24";
    std::vector<std::string> args{"Xvfb", "-displayfd", "3", "-screen", "0", screen, "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& s : args) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    XServer server;
    const int error = posix_spawnp(&server.pid, "Xvfb", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (error != 0) {
        std::fprintf(stderr, "bench_key_x11: cannot start Xvfb: %s\n", std::strerror(error));
        close(fds[0]);
        return std::nullopt;
    }
    // The number and a newline, perhaps in two writes; the server dies if we stop listening early.
    std::string number;
    char c = 0;
    while (read(fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(fds[0]);
    if (number.empty()) {
        stop(server.pid);
        return std::nullopt;
    }
    server.display = ":" + number;
    return server;
}

class KeyWatch {
public:
    KeyWatch(Display* display, int damageEvents) : m_display(display), m_damageEvents(damageEvents) {
        XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
        XSync(m_display, False);
    }

    // One board at `size` (none: its own), `presses` timed keys, or with `clockEnds` that many timed
    // ends of the game clock instead. The latencies in ms, or nothing.
    std::optional<std::vector<double>> run(const std::string& program, std::vector<std::string> environment,
                                           std::optional<std::pair<int, int>> size, int presses,
                                           int clockEnds) {
        m_board = 0;
        m_watched = 0;
        m_clockEnds = clockEnds;
        const pid_t pid = spawn({program, "bypass"}, environment);
        if (pid < 0) {
            return std::nullopt;
        }
        std::optional<std::vector<double>> result = measure(pid, size, presses);
        stop(pid);
        XSync(m_display, False);
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
        }
        return result;
    }

private:
    std::optional<std::vector<double>> measure(pid_t pid, std::optional<std::pair<int, int>> size,
                                               int presses) {
        // The board: the first window of the program that is mapped on the first monitor; the audience
        // window: the one mapped right of it.
        const double start = nowMs();
        while (m_board == 0 || m_watched == 0) {
            if (nowMs() - start > 30000) {
                std::fprintf(stderr, "bench_key_x11: the %s did not appear\n",
                             m_board ? "audience window" : "board");
                return std::nullopt;
            }
            XEvent event;
            if (!next(event, 100)) {
                continue;
            }
            if (event.type == CreateNotify) {
                XDamageCreate(m_display, event.xcreatewindow.window, XDamageReportRawRectangles);
            } else if (event.type == MapNotify && windowPid(m_display, event.xmap.window) == pid) {
                XWindowAttributes where{};
                XGetWindowAttributes(m_display, event.xmap.window, &where);
                if (m_audienceLeft > 0 && where.x >= m_audienceLeft) {
                    m_watched = event.xmap.window;
                } else if (m_board == 0) {
                    m_board = event.xmap.window;
                    m_watched = m_audienceLeft > 0 ? m_watched : m_board;
                }
            }
        }
        if (size) {
            XMoveResizeWindow(m_display, m_board, 0, 0, size->first, size->second);
        }
        if (m_watched != m_board) {
            // No window manager: the keys go where the focus is put.
            XSetInputFocus(m_display, m_board, RevertToParent, CurrentTime);
        }
        settle();
        if (m_clockEnds > 0) {
            return clockEnds();
        }
        // The home score follows the game clock in the tab order.
        key(XK_Tab);
        settle();
        // Where the home score is drawn: what a press paints while nothing else moves.
        key(XK_Insert);
        m_score = {};
        collect(400, &m_score);
        if (m_score.width == 0) {
            std::fprintf(stderr, "bench_key_x11: a key press drew nothing\n");
            return std::nullopt;
        }
        std::printf("the read-out timed: %d x %d at %d, %d\n", m_score.width, m_score.height, m_score.x,
                    m_score.y);
        if (m_clockRunning) {
            // A game on: the clock redraws under the keys.
            key(XK_s);
            settle();
        }

        std::mt19937 random(21);
        std::uniform_real_distribution<double> gap(15.0, 45.0);
        std::vector<double> samples;
        std::vector<Press> slow;
        for (int i = 0; i < presses; ++i) {
            collect(gap(random), nullptr);
            const KeyCode code = XKeysymToKeycode(m_display, i % 2 == 0 ? XK_BackSpace : XK_Insert);
            XTestFakeKeyEvent(m_display, code, True, CurrentTime);
            XFlush(m_display);
            const double pressed = nowMs();
            const double quietMs = pressed - m_lastDrawing;
            int othersFirst = 0;
            std::optional<double> drawn;
            while (!drawn && nowMs() - pressed < 1000) {
                XEvent event;
                if (!next(event, 50)) {
                    continue;
                }
                if (watchedDamage(event)) {
                    m_lastDrawing = nowMs();
                }
                if (overScore(event)) {
                    drawn = nowMs();
                } else if (watchedDamage(event)) {
                    ++othersFirst;
                }
            }
            XTestFakeKeyEvent(m_display, code, False, CurrentTime);
            XFlush(m_display);
            if (!drawn) {
                std::fprintf(stderr, "bench_key_x11: press %d drew nothing within 1 s\n", i);
                return std::nullopt;
            }
            samples.push_back(*drawn - pressed);
            slow.push_back({i, *drawn - pressed, quietMs, othersFirst});
        }
        printSlowest(slow);
        return samples;
    }

    // The game clock, selected at start, typed to 0.4 s and started, again and again: the time from
    // its true end (0.4 s after the start key) to 0.0 drawn.
    std::optional<std::vector<double>> clockEnds() {
        const auto typeTime = [this] {
            for (KeySym symbol : {XK_0, XK_period, XK_0, XK_0, XK_4, XK_Return}) {
                key(symbol);
            }
        };
        typeTime();
        m_score = {};
        collect(400, &m_score); // here: where the clock is drawn
        if (m_score.width == 0) {
            std::fprintf(stderr, "bench_key_x11: a typed time drew nothing\n");
            return std::nullopt;
        }
        std::vector<double> samples;
        for (int i = 0; i < m_clockEnds; ++i) {
            key(XK_s);
            const double end = nowMs() + 400;
            std::optional<double> drawn;
            while (!drawn && nowMs() - end < 1000) {
                XEvent event;
                if (next(event, 50) && overScore(event) && nowMs() >= end) {
                    drawn = nowMs();
                }
            }
            if (!drawn) {
                std::fprintf(stderr, "bench_key_x11: no 0.0 drawn within 1 s of the end\n");
                return std::nullopt;
            }
            samples.push_back(*drawn - end);
            collect(200, nullptr);
            typeTime();
            collect(200, nullptr);
        }
        return samples;
    }

    void key(KeySym symbol) {
        const KeyCode code = XKeysymToKeycode(m_display, symbol);
        XTestFakeKeyEvent(m_display, code, True, CurrentTime);
        XTestFakeKeyEvent(m_display, code, False, CurrentTime);
        XFlush(m_display);
    }

    // The next event within `timeoutMs`.
    bool next(XEvent& event, double timeoutMs) {
        if (!XPending(m_display)) {
            pollfd connection{ConnectionNumber(m_display), POLLIN, 0};
            poll(&connection, 1, static_cast<int>(timeoutMs));
            if (!XPending(m_display)) {
                return false;
            }
        }
        XNextEvent(m_display, &event);
        return true;
    }

    const XDamageNotifyEvent* watchedDamage(const XEvent& event) const {
        if (event.type != m_damageEvents + XDamageNotify) {
            return nullptr;
        }
        const auto* damage = reinterpret_cast<const XDamageNotifyEvent*>(&event);
        return damage->drawable == m_watched ? damage : nullptr;
    }

    bool overScore(const XEvent& event) const {
        const XDamageNotifyEvent* damage = watchedDamage(event);
        if (!damage) {
            return false;
        }
        const XRectangle& a = damage->area;
        const XRectangle& s = m_score;
        return a.x < s.x + s.width && s.x < a.x + a.width && a.y < s.y + s.height && s.y < a.y + a.height;
    }

    // Handles events for `ms`; with `bounds`, the board's drawing in that time, as one rectangle.
    void collect(double ms, XRectangle* bounds) {
        const double until = nowMs() + ms;
        for (double left = ms; left > 0; left = until - nowMs()) {
            XEvent event;
            if (!next(event, left)) {
                continue;
            }
            const XDamageNotifyEvent* damage = watchedDamage(event);
            if (damage) {
                m_lastDrawing = nowMs();
            }
            if (damage && bounds) {
                const XRectangle& a = damage->area;
                if (bounds->width == 0) {
                    *bounds = a;
                } else {
                    const int x = std::min(bounds->x, a.x);
                    const int y = std::min(bounds->y, a.y);
                    bounds->width =
                        static_cast<unsigned short>(std::max(bounds->x + bounds->width, a.x + a.width) - x);
                    bounds->height =
                        static_cast<unsigned short>(std::max(bounds->y + bounds->height, a.y + a.height) - y);
                    bounds->x = static_cast<short>(x);
                    bounds->y = static_cast<short>(y);
                }
            }
        }
    }

    // Until the board has drawn nothing for half a second.
    void settle() {
        double quietSince = nowMs();
        while (nowMs() - quietSince < 500) {
            XEvent event;
            if (next(event, 50) && watchedDamage(event)) {
                quietSince = nowMs();
            }
        }
    }

    // One timed press, to tell what the slowest have in common.
    struct Press {
        int index;
        double ms;
        double quietMs;  // since the window timed last drew anything
        int othersFirst; // its other drawings between the press and the read-out's
    };

    // The slowest 1 % of the presses (at least one), slowest first.
    static void printSlowest(std::vector<Press> presses) {
        std::sort(presses.begin(), presses.end(), [](const Press& a, const Press& b) { return a.ms > b.ms; });
        presses.resize(std::min(presses.size(), std::max<std::size_t>(1, presses.size() / 100)));
        std::printf("slowest presses:");
        for (const Press& p : presses) {
            std::printf(" #%d %.1f ms (the window drew last %.1f ms before it; %d other drawings before the "
                        "read-out's);",
                        p.index, p.ms, p.quietMs, p.othersFirst);
        }
        std::printf("\n");
    }

    Display* m_display;
    int m_damageEvents;
    double m_lastDrawing = 0;
    Window m_board = 0;   // takes the keys
    Window m_watched = 0; // whose drawing is timed: the board, or the audience window
    XRectangle m_score{}; // the read-out timed
    int m_clockEnds = 0;

public:
    bool m_clockRunning = true;
    // Where the audience's monitor starts; 0: no audience window, the board's own drawing is timed.
    int m_audienceLeft = 0;
};

} // namespace

int main(int argc, char** argv) {
    int presses = 400;
    int clockEnds = 20;
    bool clockRunning = true;
    bool audience = false;
    std::string program = RAVENMARK_PROGRAM;
    if (const char* override = std::getenv("RAVENMARK_PROGRAM")) {
        program = override;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--presses=", 10) == 0) {
            presses = std::max(1, std::atoi(argv[i] + 10));
        } else if (std::strcmp(argv[i], "--audience") == 0) {
            audience = true;
        } else if (std::strcmp(argv[i], "--clock-stopped") == 0) {
            clockRunning = false;
        } else if (std::strncmp(argv[i], "--clock-ends=", 13) == 0) {
            clockEnds = std::max(0, std::atoi(argv[i] + 13));
        } else if (argv[i][0] != '-') {
            program = argv[i];
        }
        // Other options are Google Benchmark's, which scripts/bench.sh gives every benchmark.
    }

    std::optional<XServer> server;
    if (audience) {
        const char* display = std::getenv("DISPLAY");
        if (!display || !plugAudienceMonitor()) {
            std::fprintf(stderr,
                         "bench_key_x11: --audience needs Xorg with the dummy driver in DISPLAY and room "
                         "for 5760 x 2160 (XORG_VIRTUAL=5760x2160 scripts/with-xorg.sh)\n");
            return 1;
        }
        server = XServer{-1, display};
    } else {
        server = startXvfb();
    }
    if (!server) {
        std::fprintf(stderr, "bench_key_x11: no X server of its own\n");
        return 1;
    }
    Display* display = XOpenDisplay(server->display.c_str());
    int damageEvents = 0;
    int damageErrors = 0;
    int xtest[4] = {};
    if (!display || !XDamageQueryExtension(display, &damageEvents, &damageErrors) ||
        !XTestQueryExtension(display, &xtest[0], &xtest[1], &xtest[2], &xtest[3])) {
        std::fprintf(stderr, "bench_key_x11: the X server lacks DAMAGE or XTEST\n");
        stop(server->pid);
        return 1;
    }
    XSetErrorHandler(ignoreXError);

    // The program on our server, with the default settings (Insert +1 home, Backspace clears).
    char home[] = "/tmp/ravenmark-bench-keys.XXXXXX";
    if (!mkdtemp(home)) {
        stop(server->pid);
        return 1;
    }
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0 && std::strncmp(*entry, "DISPLAY=", 8) != 0 &&
            std::strncmp(*entry, "XDG_CONFIG_HOME=", 16) != 0) {
            environment.emplace_back(*entry);
        }
    }
    environment.emplace_back("QT_QPA_PLATFORM=xcb");
    environment.emplace_back("DISPLAY=" + server->display);
    environment.emplace_back(std::string("XDG_CONFIG_HOME=") + home);
    const std::string settingsFolder = std::string(home) + "/Ravenmark";
    const std::string settingsFile = settingsFolder + "/Ravenmark.conf";
    if (audience) {
        mkdir(settingsFolder.c_str(), 0700);
        if (FILE* file = std::fopen(settingsFile.c_str(), "w")) {
            std::fputs("[AudienceSettings]\nScreen=DUMMY1\nOpenAtStart=Yes\n", file);
            std::fclose(file);
        }
    }

    KeyWatch watch(display, damageEvents);
    watch.m_clockRunning = clockRunning;
    watch.m_audienceLeft = audience ? 1920 : 0;
    std::vector<std::pair<const char*, std::optional<std::pair<int, int>>>> sizes{
        {"design size", std::nullopt},
        {"1920 x 1080", std::pair{1920, 1080}},
        {"3840 x 2160", std::pair{3840, 2160}}};
    if (audience) {
        sizes = {{"the audience window at 3840 x 2160 (board 1920 x 1080)", std::pair{1920, 1080}}};
    }
    int status = 0;
    std::printf("%s bypass, %d presses a size with the game clock %s; %d ends of the game clock\n",
                program.c_str(), presses, clockRunning ? "running" : "stopped", clockEnds);
    const auto measure = [&](const char* what, const char* name, std::optional<std::pair<int, int>> size,
                             int ends) {
        const std::optional<std::vector<double>> samples =
            watch.run(program, environment, size, presses, ends);
        if (!samples) {
            status = 1;
            return;
        }
        printPercentiles((std::string(what) + name).c_str(), *samples, "ms");
        std::fflush(stdout);
    };
    for (const auto& [name, size] : sizes) {
        measure("key press to pixels on X, ", name, size, 0);
        if (clockEnds > 0) {
            measure("game clock's end to 0.0 on X, ", name, size, clockEnds);
        }
    }
    XCloseDisplay(display);
    stop(server->pid);
    unlink(settingsFile.c_str());
    rmdir(settingsFolder.c_str());
    rmdir(home);
    return status;
}
