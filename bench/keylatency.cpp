// The delay from a key to the screen, as a typist feels it: on a real X server (Xvfb), a key
// injected with XTest, timed until the window's first changed pixels are reported (XDamage).
// The program's practice window (bench_keytarget) and the floor, a minimal Qt program that
// sets a label's text on each key (bench_keyfloor), take turns, each typing its whole verse
// per run; printed as "name<TAB>value" lines for bench_suite:
//
//     bench_keylatency <runs> <bench_keytarget> <bench_keyfloor>
//
// program_median_ms / floor_median_ms: the median key of each run, median over the runs;
// program_worst_ms / floor_worst_ms: the slowest key of each run, median over the runs.
// Needs DISPLAY (bench_suite starts it under xvfb-run).

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

double median(std::vector<double> v) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "bench_keylatency: %s\n", what);
    std::exit(1);
}

struct Target {
    pid_t pid = 0;
    Window window = 0;
    std::string keys;
};

// Starts a target with its standard output on a pipe and reads its window and keys.
Target start(const char* program) {
    int out[2];
    if (pipe(out) != 0)
        fail("no pipe");
    Target t;
    t.pid = fork();
    if (t.pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        setenv("QT_QPA_PLATFORM", "xcb", 1);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    char buffer[4096];
    const double deadline = nowMs() + 30000;
    while (text.find("\nkeys ") == std::string::npos || text.back() != '\n') {
        pollfd p{out[0], POLLIN, 0};
        if (nowMs() > deadline || poll(&p, 1, 1000) < 0)
            fail("the target never said which window it shows");
        if (!(p.revents & (POLLIN | POLLHUP)))
            continue;
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            fail("the target ended before showing its window");
        text.append(buffer, size_t(n));
    }
    close(out[0]);
    t.window = Window(std::strtoull(text.c_str() + text.find("window ") + 7, nullptr, 10));
    const size_t keys = text.find("\nkeys ") + 6;
    t.keys = text.substr(keys, text.find('\n', keys) - keys);
    return t;
}

class KeyScreen {
public:
    KeyScreen() : m_display(XOpenDisplay(nullptr)) {
        if (!m_display)
            fail("cannot open the display (run under xvfb-run)");
        int error = 0, major = 0, minor = 0;
        if (!XDamageQueryExtension(m_display, &m_damageEvent, &error) ||
            !XTestQueryExtension(m_display, &error, &error, &major, &minor))
            fail("the X server lacks DAMAGE or XTEST");
    }
    ~KeyScreen() { XCloseDisplay(m_display); }

    // Latency of every key of the target's verse, in milliseconds.
    std::vector<double> type(const Target& t) {
        XWindowAttributes attributes{};
        for (double until = nowMs() + 10000;
             !XGetWindowAttributes(m_display, t.window, &attributes) ||
             attributes.map_state != IsViewable;) {
            if (nowMs() > until)
                fail("the target's window never became viewable");
            usleep(10000);
        }
        const Damage damage = XDamageCreate(m_display, t.window, XDamageReportNonEmpty);
        XSetInputFocus(m_display, t.window, RevertToParent, CurrentTime);
        XSync(m_display, False);
        usleep(300000); // the window takes the focus and paints everything once
        quiet(damage);

        std::vector<double> times;
        for (char c : t.keys) {
            const char name[2] = {c, 0};
            const KeyCode code = XKeysymToKeycode(m_display, XStringToKeysym(name));
            if (code == 0)
                fail("a key of the verse has no key code");
            XDamageSubtract(m_display, damage, None, None);
            XSync(m_display, False);
            drain(damage, 0);
            const double start = nowMs();
            XTestFakeKeyEvent(m_display, code, True, CurrentTime);
            XFlush(m_display);
            if (!drain(damage, 2000))
                fail("a key changed nothing on screen");
            times.push_back(nowMs() - start);
            XTestFakeKeyEvent(m_display, code, False, CurrentTime);
            XFlush(m_display);
            quiet(damage);
        }
        XDamageDestroy(m_display, damage);
        XSync(m_display, False);
        return times;
    }

private:
    // Waits up to timeoutMs for a damage report on damage; true when one came.
    bool drain(Damage damage, int timeoutMs) {
        const double until = nowMs() + timeoutMs;
        bool damaged = false;
        for (;;) {
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (event.type == m_damageEvent + XDamageNotify &&
                    reinterpret_cast<XDamageNotifyEvent*>(&event)->damage == damage)
                    damaged = true;
            }
            const double left = until - nowMs();
            if (damaged || left <= 0)
                return damaged;
            pollfd p{ConnectionNumber(m_display), POLLIN, 0};
            poll(&p, 1, std::max(1, int(left)));
        }
    }

    // Until the window has stopped changing for a while: the key's paint is over.
    void quiet(Damage damage) {
        do {
            XDamageSubtract(m_display, damage, None, None);
            XSync(m_display, False);
        } while (drain(damage, 15));
    }

    Display* m_display;
    int m_damageEvent = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 4)
        fail("usage: bench_keylatency <runs> <bench_keytarget> <bench_keyfloor>");
    const int runs = std::max(1, std::atoi(argv[1]));
    KeyScreen screen;
    std::vector<double> medians[2], worsts[2];
    size_t keys = 0;
    for (int run = 0; run < runs; ++run) {
        for (int turn = 0; turn < 2; ++turn) {
            const int which = (run + turn) % 2; // 0 the program, 1 the floor; first by turns
            Target t = start(argv[2 + which]);
            const std::vector<double> times = screen.type(t);
            kill(t.pid, SIGTERM);
            waitpid(t.pid, nullptr, 0);
            keys = times.size();
            medians[which].push_back(median(times));
            worsts[which].push_back(*std::max_element(times.begin(), times.end()));
        }
    }
    std::printf("keys\t%zu\n", keys);
    std::printf("program_median_ms\t%.6f\nprogram_worst_ms\t%.6f\n", median(medians[0]),
                median(worsts[0]));
    std::printf("floor_median_ms\t%.6f\nfloor_worst_ms\t%.6f\n", median(medians[1]),
                median(worsts[1]));
    return 0;
}
