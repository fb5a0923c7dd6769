// Start-up time: from starting the program with "bypass" to the board's first paint on the X server,
// the median of 20 runs. Needs an X server with the DAMAGE extension in DISPLAY (scripts/bench.sh runs
// it under the test services' Xvfb).
//
// The first paint is watched from outside, with no help from the program and nothing added to it: the
// benchmark listens on the X server for new top-level windows and puts a DAMAGE monitor on each as soon
// as it is created, before it can be mapped or drawn. Qt draws a window only by flushing its backing
// store into it, once the whole window has been painted, so the first damage the server reports on the
// program's window is the moment the finished board reaches the screen. The time the window was mapped
// is shown beside it.
//
//   bench_startup [--runs=N] [PROGRAM]      PROGRAM: default the build's ravenmark, or $RAVENMARK_PROGRAM
#include "benchutil.h"
#include "x11watch.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto Timeout = std::chrono::seconds(30);

struct Timings {
    double mappedMs = 0;
    double paintedMs = 0;
};

// The environment of this benchmark, with the program on the real X server whatever the benchmarks
// around it use.
std::vector<std::string> programEnvironment() {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0) {
            environment.emplace_back(*entry);
        }
    }
    environment.emplace_back("QT_QPA_PLATFORM=xcb");
    return environment;
}

class StartupWatch {
public:
    explicit StartupWatch(Display* display, int damageEvents)
        : m_display(display), m_damageEvents(damageEvents) {
        XSelectInput(m_display, DefaultRootWindow(m_display), SubstructureNotifyMask);
        XSync(m_display, False);
    }

    // One run: start the program, wait for its first paint, stop it.
    std::optional<Timings> run(const std::string& program) {
        drain();
        std::vector<std::string> environment = programEnvironment();
        std::vector<char*> envp;
        for (std::string& entry : environment) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        std::string bypass = "bypass";
        std::string name = program;
        char* argv[] = {name.data(), bypass.data(), nullptr};

        const Clock::time_point start = Clock::now();
        pid_t pid = 0;
        if (const int error = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, envp.data())) {
            std::fprintf(stderr, "bench_startup: cannot start %s: %s\n", program.c_str(),
                         std::strerror(error));
            return std::nullopt;
        }
        std::optional<Timings> timings = watch(pid, start);
        kill(pid, SIGTERM);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        return timings;
    }

private:
    std::optional<Timings> watch(pid_t pid, Clock::time_point start) {
        const auto elapsedMs = [start] {
            return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        };
        Timings timings;
        while (Clock::now() - start < Timeout) {
            if (!XPending(m_display)) {
                pollfd connection{ConnectionNumber(m_display), POLLIN, 0};
                poll(&connection, 1, 100);
                continue;
            }
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == CreateNotify) {
                // Every new top-level window is watched at once; which one is the board shows later,
                // when it is drawn.
                XDamageCreate(m_display, event.xcreatewindow.window, XDamageReportNonEmpty);
                XFlush(m_display);
            } else if (event.type == MapNotify && timings.mappedMs == 0 &&
                       windowPid(m_display, event.xmap.window) == pid) {
                timings.mappedMs = elapsedMs();
            } else if (event.type == m_damageEvents + XDamageNotify) {
                const auto& damage = reinterpret_cast<const XDamageNotifyEvent&>(event);
                const double at = elapsedMs();
                // A cleared background would be damage too; the board counts as painted when it shows
                // the many colours of its read-outs and captions.
                if (windowPid(m_display, damage.drawable) == pid && looksPainted(damage.drawable)) {
                    timings.paintedMs = at;
                    return timings;
                }
                XDamageSubtract(m_display, damage.damage, None, None);
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                std::fprintf(stderr, "bench_startup: the program ended before its first paint\n");
                return std::nullopt;
            }
        }
        std::fprintf(stderr, "bench_startup: no paint of the program within %lld s\n",
                     static_cast<long long>(Timeout.count()));
        return std::nullopt;
    }

    bool looksPainted(Window window) {
        constexpr std::size_t PaintedColours = 20;
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(m_display, window, &attributes) || attributes.map_state != IsViewable) {
            return false;
        }
        XImage* image =
            XGetImage(m_display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
        if (!image) {
            return false;
        }
        std::set<unsigned long> colours;
        for (int y = 0; y < image->height && colours.size() < PaintedColours; ++y) {
            for (int x = 0; x < image->width && colours.size() < PaintedColours; ++x) {
                colours.insert(XGetPixel(image, x, y));
            }
        }
        XDestroyImage(image);
        return colours.size() >= PaintedColours;
    }

    // Events of the previous run (its windows going away) are of no interest to the next.
    void drain() {
        XSync(m_display, False);
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
        }
    }

    Display* m_display;
    int m_damageEvents;
};

} // namespace

int main(int argc, char** argv) {
    int runs = 20;
    std::string program = RAVENMARK_PROGRAM;
    if (const char* override = std::getenv("RAVENMARK_PROGRAM")) {
        program = override;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--runs=", 7) == 0) {
            runs = std::max(1, std::atoi(argv[i] + 7));
        } else if (argv[i][0] != '-') {
            program = argv[i];
        }
        // Other options are Google Benchmark's, which scripts/bench.sh gives every benchmark.
    }

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_startup: cannot open the X display (DISPLAY=%s)\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 1;
    }
    int damageEvents = 0;
    int damageErrors = 0;
    if (!XDamageQueryExtension(display, &damageEvents, &damageErrors)) {
        std::fprintf(stderr, "bench_startup: the X server has no DAMAGE extension\n");
        return 1;
    }
    XSetErrorHandler(ignoreXError);

    StartupWatch watch(display, damageEvents);
    std::vector<double> mapped;
    std::vector<double> painted;
    for (int i = 0; i < runs; ++i) {
        const std::optional<Timings> timings = watch.run(program);
        if (!timings) {
            return 1;
        }
        mapped.push_back(timings->mappedMs);
        painted.push_back(timings->paintedMs);
    }
    std::printf("%s bypass, %d runs\n", program.c_str(), runs);
    printPercentiles("start to board window mapped", mapped, "ms");
    printPercentiles("start to board's first paint", painted, "ms");
    XCloseDisplay(display);
    return 0;
}
