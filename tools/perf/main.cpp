// keystorm-perf: how fast the game starts and answers a key, side by side
// with an empty Qt window measured in the same run, on the same X server.
//
//   keystorm-perf --game DIR --empty PROGRAM [--launches N] [--keys N]
//
// DIR holds the built game; it is copied to a scratch folder first, so that
// nothing the game writes lands in the build. The programs' own messages go
// nowhere, or to the file KS_PERF_CHILD_LOG names (with QT_LOGGING_RULES and
// QT_MESSAGE_PATTERN="%{time process} %{message}", a timeline of the game). Needs an X server
// without a window manager (make perf starts one with xvfb-run), XTest and DAMAGE.
//
// launch -> first window: from fork to the X server's MapNotify of the
//   program's first window, the median of the warm launches.
// key -> repaint: during a speed-test run, letters sent through XTest every
//   17 ms; from each press to the first damage the window reports. A key
//   after which nothing is drawn within 50 ms counts as 50 ms.
// the 30 s course's result: from the Return that starts the run to the
//   MapNotify of its result window, less 30 s; once on SDL's dummy device
//   (the run of the keys above, the records file new), once with no sound
//   device at all.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using Millis = std::chrono::duration<double, std::milli>;

namespace {

struct Options
{
    fs::path game;  // folder holding keystorm
    fs::path empty; // the yardstick program
    int launches = 7;
    int keys = 400;
};

[[noreturn]] void fail(const std::string &message)
{
    std::fprintf(stderr, "keystorm-perf: %s\n", message.c_str());
    std::exit(1);
}

std::optional<Options> parse(int argc, char **argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char *value = argv[i + 1];
        if (key == "--game")
            options.game = value;
        else if (key == "--empty")
            options.empty = value;
        else if (key == "--launches")
            options.launches = std::max(1, std::atoi(value));
        else if (key == "--keys")
            options.keys = std::max(10, std::atoi(value));
        else
            return std::nullopt;
    }
    if (argc % 2 == 0 || options.game.empty() || options.empty.empty())
        return std::nullopt;
    return options;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double percentile(std::vector<double> values, double p)
{
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::lround(p / 100.0 * double(values.size() - 1)));
    return values[std::min(rank, values.size() - 1)];
}

// A program under measurement, ended with it.
class Child
{
public:
    Child(const std::vector<std::string> &argv, const fs::path &folder)
    {
        m_pid = ::fork();
        if (m_pid < 0)
            fail("cannot fork");
        if (m_pid == 0) {
            if (::chdir(folder.c_str()) != 0)
                ::_exit(127);
            std::vector<char *> args;
            for (const std::string &arg : argv)
                args.push_back(const_cast<char *>(arg.c_str()));
            args.push_back(nullptr);
            // The programs' own messages would break up the table: a log
            // of them is asked for by name.
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, STDOUT_FILENO);
            if (const char *log = std::getenv("KS_PERF_CHILD_LOG")) {
                const int fd = ::open(log, O_WRONLY | O_CREAT | O_APPEND, 0644);
                ::dup2(fd, STDERR_FILENO);
            } else {
                ::dup2(null, STDERR_FILENO);
            }
            ::execv(args[0], args.data());
            ::_exit(127);
        }
    }
    ~Child()
    {
        ::kill(m_pid, SIGTERM);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

private:
    pid_t m_pid = -1;
};

class XServer
{
public:
    XServer()
    {
        m_display = XOpenDisplay(nullptr);
        if (!m_display)
            fail("no X display (run it under xvfb-run, as make perf does)");
        // Windows come and go with the programs measured: a window that went
        // between two requests is no failure.
        XSetErrorHandler([](::Display *, XErrorEvent *) { return 0; });
        int event = 0, error = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(m_display, &event, &error, &major, &minor))
            fail("the X server has no XTest");
        if (!XDamageQueryExtension(m_display, &m_damageEvent, &error))
            fail("the X server has no DAMAGE");
        m_root = DefaultRootWindow(m_display);
        XSelectInput(m_display, m_root, SubstructureNotifyMask);
        m_utf8 = XInternAtom(m_display, "UTF8_STRING", False);
        m_netName = XInternAtom(m_display, "_NET_WM_NAME", False);
    }
    ~XServer() { XCloseDisplay(m_display); }
    XServer(const XServer &) = delete;
    XServer &operator=(const XServer &) = delete;

    void drain()
    {
        XSync(m_display, False);
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == m_damageEvent + XDamageNotify)
                XDamageSubtract(m_display, reinterpret_cast<XDamageNotifyEvent &>(event).damage,
                                None, None);
        }
    }

    // The next event of the kind wanted, or nothing by the deadline.
    template <typename Wanted>
    std::optional<XEvent> waitFor(Clock::time_point deadline, Wanted wanted)
    {
        for (;;) {
            while (XPending(m_display)) {
                XEvent event;
                XNextEvent(m_display, &event);
                if (wanted(event))
                    return event;
            }
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return std::nullopt;
            pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
            ::poll(&fd, 1, static_cast<int>(std::min<long>(left.count() + 1, 1000)));
        }
    }

    // Fork to the MapNotify of the program's first window.
    double launch(const std::vector<std::string> &argv, const fs::path &folder)
    {
        drain();
        const auto start = Clock::now();
        Child child(argv, folder);
        const auto mapped = waitFor(start + std::chrono::seconds(20),
                                    [](const XEvent &e) { return e.type == MapNotify; });
        const double ms = Millis(Clock::now() - start).count();
        if (!mapped)
            fail("no window from " + argv[0]);
        return ms;
    }

    std::string title(Window window)
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char *data = nullptr;
        std::string text;
        if (XGetWindowProperty(m_display, window, m_netName, 0, 1024, False, m_utf8, &type, &format,
                               &count, &after, &data) == Success &&
            data) {
            text.assign(reinterpret_cast<char *>(data), count);
            XFree(data);
        }
        return text;
    }

    // The viewable top-level window with this title.
    Window waitForWindow(const std::string &wanted, std::chrono::seconds timeout)
    {
        const auto deadline = Clock::now() + timeout;
        while (Clock::now() < deadline) {
            Window root = 0, parent = 0, *children = nullptr;
            unsigned int count = 0;
            Window found = None;
            if (XQueryTree(m_display, m_root, &root, &parent, &children, &count)) {
                for (unsigned int i = 0; i < count && found == None; ++i) {
                    XWindowAttributes attributes;
                    if (XGetWindowAttributes(m_display, children[i], &attributes) &&
                        attributes.map_state == IsViewable && title(children[i]) == wanted)
                        found = children[i];
                }
                XFree(children);
            }
            if (found != None)
                return found;
            ::usleep(20'000);
        }
        fail("no window \"" + wanted + "\"");
    }

    void focus(Window window)
    {
        XSetInputFocus(m_display, window, RevertToParent, CurrentTime);
        XSync(m_display, False);
        ::usleep(100'000);
    }

    void key(const char *name, bool press)
    {
        const KeyCode code = XKeysymToKeycode(m_display, XStringToKeysym(name));
        XTestFakeKeyEvent(m_display, code, press ? True : False, CurrentTime);
        XFlush(m_display);
    }

    void tap(const char *name)
    {
        key(name, true);
        key(name, false);
        ::usleep(300'000);
    }

    // Press to the MapNotify of a top-level window with this title.
    std::optional<double> msUntilMapped(Clock::time_point from, const std::string &wanted,
                                        std::chrono::seconds timeout)
    {
        const auto mapped = waitFor(from + timeout, [&](const XEvent &e) {
            return e.type == MapNotify && title(e.xmap.window) == wanted;
        });
        if (!mapped)
            return std::nullopt;
        return Millis(Clock::now() - from).count();
    }

    // Press to first damage, letters every 17 ms.
    std::vector<double> keyLatencies(Window window, int keys, int &undrawn)
    {
        const Damage damage = XDamageCreate(m_display, window, XDamageReportNonEmpty);
        static const char *const letters[] = {"a", "s", "d", "f", "g", "h", "j", "k", "l",
                                              "q", "w", "e", "r", "t", "y", "u", "i", "o"};
        std::mt19937 random(7);
        std::vector<double> latencies;
        undrawn = 0;
        for (int i = 0; i < keys; ++i) {
            // Reported only when the damage goes from none to some: what
            // the last key drew is taken away first.
            XDamageSubtract(m_display, damage, None, None);
            drain();
            const char *letter = letters[random() % std::size(letters)];
            const auto pressed = Clock::now();
            key(letter, true);
            const auto drawn =
                waitFor(pressed + std::chrono::milliseconds(50),
                        [&](const XEvent &e) { return e.type == m_damageEvent + XDamageNotify; });
            latencies.push_back(drawn ? Millis(Clock::now() - pressed).count() : 50.0);
            if (!drawn)
                ++undrawn;
            key(letter, false);
            std::this_thread::sleep_until(pressed + std::chrono::milliseconds(17));
        }
        XDamageDestroy(m_display, damage);
        XSync(m_display, False); // before the window can go with its damage
        return latencies;
    }

private:
    ::Display *m_display = nullptr;
    Window m_root = None;
    int m_damageEvent = 0;
    Atom m_utf8 = None;
    Atom m_netName = None;
};

struct Figures
{
    std::vector<double> launches;
    std::vector<double> keys;
    int undrawn = 0;
    // How late the 30-second course's result window came after its 30 s,
    // on SDL's dummy device and with no sound device at all.
    std::optional<double> lateDummy;
    std::optional<double> lateNoDevice;
};

constexpr const char *kResultTitle = "打速度でスター～コース１結果発表～";

// The game as a player starts it, from a scratch copy of its folder; the
// music plays through SDL's dummy device, since a test machine has no card.
fs::path copyGame(const fs::path &from)
{
    char pattern[] = "/tmp/keystorm-perf-XXXXXX";
    if (!::mkdtemp(pattern))
        fail("cannot make a scratch folder");
    fs::path folder = pattern;
    fs::copy(from, folder, fs::copy_options::recursive);
    if (!fs::exists(folder / "keystorm"))
        fail("no keystorm in " + from.string());
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::setenv("HOME", folder.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder / "data").c_str(), 1);
    fs::create_directory(folder / "runtime");
    fs::permissions(folder / "runtime", fs::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", (folder / "runtime").c_str(), 1);
    return folder;
}

void measureLaunches(XServer &x, const Options &options, const fs::path &game, Figures &empty,
                     Figures &keystorm)
{
    const std::vector<std::string> emptyArgs{fs::absolute(options.empty).string()};
    const std::vector<std::string> gameArgs{(game / "keystorm").string()};
    // The first of each only brings the files into memory.
    x.launch(emptyArgs, game);
    x.launch(gameArgs, game);
    for (int i = 0; i < options.launches; ++i) {
        empty.launches.push_back(x.launch(emptyArgs, game));
        keystorm.launches.push_back(x.launch(gameArgs, game));
        std::fprintf(stderr, "\r  launches %d/%d", i + 1, options.launches);
    }
    std::fprintf(stderr, "\n");
}

// The speed tester's 30-second course, reached as a player does: the run's
// window, its Return pressed at the time returned.
Clock::time_point startThirtySeconds(XServer &x, Window &run)
{
    const auto wait = std::chrono::seconds(20);
    x.focus(x.waitForWindow("確認", wait));
    x.tap("Return");
    x.focus(x.waitForWindow("キーストーム", wait));
    x.tap("Return");
    x.focus(x.waitForWindow("打速度テスター～コース選択～", wait));
    x.tap("Return");
    run = x.waitForWindow("打速度テスター", wait);
    x.focus(run);
    x.drain();
    const auto started = Clock::now();
    x.tap("Return");
    return started;
}

// From the Return that starts the run to its result window, less the 30 s:
// what the end of the run waits for.
std::optional<double> lateness(XServer &x, Clock::time_point started)
{
    const std::optional<double> ms =
        x.msUntilMapped(started, kResultTitle, std::chrono::seconds(45));
    if (!ms)
        return std::nullopt;
    return *ms - 30'000.0;
}

void measureKeys(XServer &x, const Options &options, const fs::path &game, Figures &empty,
                 Figures &keystorm)
{
    {
        const Child child({fs::absolute(options.empty).string(), "--keys"}, game);
        const Window window =
            x.waitForWindow("keystorm-perf empty window", std::chrono::seconds(20));
        x.focus(window);
        empty.keys = x.keyLatencies(window, options.keys, empty.undrawn);
        std::fprintf(stderr, "  keys on the empty window done\n");
    }
    // The records are new: this run's save is the first, which makes the file.
    const Child child({(game / "keystorm").string()}, game);
    Window run = None;
    const auto started = startThirtySeconds(x, run);
    // 30 seconds hold 1700 keys at this pace; more would meet the results.
    keystorm.keys = x.keyLatencies(run, std::min(options.keys, 1500), keystorm.undrawn);
    std::fprintf(stderr, "  keys on the speed test done\n");
    keystorm.lateDummy = lateness(x, started);
    std::fprintf(stderr, "  the result on SDL's dummy device done\n");
}

// The same run with no sound device at all: SDL left to find one and fail.
void measureNoDevice(XServer &x, const fs::path &game, Figures &keystorm)
{
    const std::string driver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
    ::unsetenv("SDL_AUDIODRIVER");
    fs::remove(game / "records.sqlite3");
    {
        const Child child({(game / "keystorm").string()}, game);
        Window run = None;
        const auto started = startThirtySeconds(x, run);
        int undrawn = 0;
        x.keyLatencies(run, 100, undrawn);
        keystorm.lateNoDevice = lateness(x, started);
    }
    ::setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    std::fprintf(stderr, "  the result with no sound device done\n");
}

void row(const char *what, double empty, double game, const char *unit, const char *goal)
{
    std::printf("%-28s %9.1f %-3s %9.1f %-3s %6.2fx   %s\n", what, empty, unit, game, unit,
                game / empty, goal);
}

} // namespace

int main(int argc, char **argv)
{
    const std::optional<Options> options = parse(argc, argv);
    if (!options) {
        std::fprintf(stderr, "usage: keystorm-perf --game DIR --empty PROGRAM "
                             "[--launches N] [--keys N]\n");
        return 2;
    }
    const fs::path game = copyGame(options->game);
    XServer x;
    Figures empty, keystorm;
    std::fprintf(stderr, "keystorm-perf: %d launches and %d keys each\n", options->launches,
                 options->keys);
    measureLaunches(x, *options, game, empty, keystorm);
    measureKeys(x, *options, game, empty, keystorm);
    measureNoDevice(x, game, keystorm);
    fs::remove_all(game);

    std::printf("\n%-28s %13s %13s %7s   %s\n", "", "empty Qt", "keystorm", "ratio", "goal");
    row("launch -> first window", median(empty.launches), median(keystorm.launches), "ms",
        "<= 1.3x");
    row("key -> repaint p50", percentile(empty.keys, 50), percentile(keystorm.keys, 50), "ms", "");
    row("key -> repaint p99", percentile(empty.keys, 99), percentile(keystorm.keys, 99), "ms",
        "<= 1.5x");
    std::printf("%-28s %9d %-3s %9d %-3s\n", "keys with nothing drawn", empty.undrawn, "",
                keystorm.undrawn, "");
    const auto late = [](const char *what, const std::optional<double> &ms) {
        if (ms)
            std::printf("%-28s %13s %9.1f %-3s %7s   %s\n", what, "", *ms, "ms", "", "+-20 ms");
        else
            std::printf("%-28s %13s %13s %7s   %s\n", what, "", "no result", "", "+-20 ms");
    };
    late("30 s course's result, dummy", keystorm.lateDummy);
    late("the same, no sound device", keystorm.lateNoDevice);
    return 0;
}
