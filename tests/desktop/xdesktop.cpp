#include "xdesktop.h"

#include <QImage>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <unordered_set>

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;

namespace ks::desktop {

using namespace std::chrono_literals;

namespace {

pid_t spawn(const std::vector<std::string> &args, const std::vector<std::string> &env,
            int stdoutFd = -1, int stderrFd = -1, int keepFd = -1)
{
    const pid_t pid = fork();
    if (pid != 0)
        return pid;
    // The child: its own process group, so a test that ends kills all of it.
    setpgid(0, 0);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(stdoutFd >= 0 ? stdoutFd : null, 1);
    dup2(stderrFd >= 0 ? stderrFd : null, 2);
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != keepFd)
            ::close(fd);
    }
    for (const std::string &entry : env)
        putenv(strdup(entry.c_str()));
    std::vector<char *> argv;
    for (const std::string &arg : args)
        argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    _exit(127);
}

void stop(pid_t pid)
{
    if (pid <= 0)
        return;
    kill(-pid, SIGKILL);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

Atom atom(Display *display, const char *name)
{
    return XInternAtom(display, name, False);
}

// X errors for windows that went away between two requests are expected.
int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

} // namespace

Desktop::Desktop(bool windowManager)
{
    int fds[2];
    if (pipe(fds) != 0) {
        m_failure = "no pipe";
        return;
    }
    m_xvfbPid = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                       "-nolisten", "tcp", "-noreset"},
                      {}, -1, -1, fds[1]);
    ::close(fds[1]);
    // Xvfb writes its display number once it accepts clients.
    std::string number;
    pollfd wait{fds[0], POLLIN, 0};
    const auto deadline = SteadyClock::now() + 10s;
    while (SteadyClock::now() < deadline) {
        if (::poll(&wait, 1, 1000) <= 0)
            continue;
        char c;
        if (read(fds[0], &c, 1) != 1 || c == '\n')
            break;
        number += c;
    }
    ::close(fds[0]);
    if (number.empty()) {
        m_failure = "Xvfb did not start (is the xvfb package installed?)";
        return;
    }
    m_name = ":" + number;
    m_display = XOpenDisplay(m_name.c_str());
    if (!m_display) {
        m_failure = "cannot open " + m_name;
        return;
    }
    XSetErrorHandler(ignoreErrors);
    int damageError = 0;
    if (!XDamageQueryExtension(m_display, &m_damageEvent, &damageError)) {
        m_failure = "no DAMAGE extension";
        return;
    }
    const XWindow root = DefaultRootWindow(m_display);
    XSelectInput(m_display, root, SubstructureNotifyMask | PropertyChangeMask);
    if (!windowManager)
        return;
    m_wmPid = spawn({"openbox", "--sm-disable"}, {"DISPLAY=" + m_name});
    // The window manager is ready once it announces itself on the root.
    const Atom check = atom(m_display, "_NET_SUPPORTING_WM_CHECK");
    const bool ready = waitFor(
        [&] {
            Atom type;
            int format;
            unsigned long count, after;
            unsigned char *data = nullptr;
            const bool found =
                XGetWindowProperty(m_display, root, check, 0, 1, False, XA_WINDOW, &type, &format,
                                   &count, &after, &data) == Success &&
                count == 1;
            if (data)
                XFree(data);
            return found;
        },
        nullptr, 10s);
    if (!ready)
        m_failure = "openbox did not start (is the openbox package installed?)";
}

Desktop::~Desktop()
{
    if (m_display)
        XCloseDisplay(m_display);
    stop(m_wmPid);
    stop(m_xvfbPid);
}

std::string Desktop::titleOf(XWindow window)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    std::string title;
    if (XGetWindowProperty(m_display, window, atom(m_display, "_NET_WM_NAME"), 0, 1024, False,
                           atom(m_display, "UTF8_STRING"), &type, &format, &count, &after,
                           &data) == Success &&
        data)
        title.assign(reinterpret_cast<char *>(data), count);
    if (data)
        XFree(data);
    return title;
}

long Desktop::cardinal(XWindow window, const char *property)
{
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    long value = -1;
    if (XGetWindowProperty(m_display, window, atom(m_display, property), 0, 1, False,
                           AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
        data && count == 1)
        value = *reinterpret_cast<long *>(data);
    if (data)
        XFree(data);
    return value;
}

// The program's window inside a top-level one: itself without a window
// manager, the child carrying _NET_WM_PID inside a frame.
XWindow Desktop::clientOf(XWindow top, int depth)
{
    if (cardinal(top, "_NET_WM_PID") >= 0)
        return top;
    if (depth >= 3)
        return 0;
    XWindow root, parent, *children = nullptr;
    unsigned int count = 0;
    XWindow found = 0;
    if (XQueryTree(m_display, top, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && !found; ++i)
            found = clientOf(children[i], depth + 1);
    }
    if (children)
        XFree(children);
    return found;
}

std::vector<TopWindow> Desktop::windows(pid_t pid)
{
    std::vector<TopWindow> result;
    const XWindow rootWindow = DefaultRootWindow(m_display);
    XWindow root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(m_display, rootWindow, &root, &parent, &children, &count))
        return result;
    const Atom typeAtom = atom(m_display, "_NET_WM_WINDOW_TYPE");
    const Atom dialogAtom = atom(m_display, "_NET_WM_WINDOW_TYPE_DIALOG");
    for (unsigned int i = 0; i < count; ++i) {
        const XWindow client = clientOf(children[i]);
        if (!client || cardinal(client, "_NET_WM_PID") != pid)
            continue;
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(m_display, client, &attributes) ||
            attributes.map_state != IsViewable || attributes.c_class == InputOnly)
            continue;
        TopWindow w;
        w.client = client;
        w.frame = children[i];
        w.title = titleOf(client);
        XWindow unused;
        XTranslateCoordinates(m_display, client, rootWindow, 0, 0, &w.x, &w.y, &unused);
        w.width = attributes.width;
        w.height = attributes.height;
        Atom type;
        int format;
        unsigned long n, after;
        unsigned char *data = nullptr;
        if (XGetWindowProperty(m_display, client, typeAtom, 0, 8, False, XA_ATOM, &type, &format,
                               &n, &after, &data) == Success &&
            data) {
            const auto *types = reinterpret_cast<Atom *>(data);
            w.dialog = std::find(types, types + n, dialogAtom) != types + n;
        }
        if (data)
            XFree(data);
        // Qt's helper windows are 1 × 1 and never meant to be seen.
        if (w.width > 1 && w.height > 1)
            result.push_back(w);
    }
    if (children)
        XFree(children);
    return result;
}

XWindow Desktop::focusedClient()
{
    XWindow focus = 0;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    const XWindow rootWindow = DefaultRootWindow(m_display);
    while (focus && focus != PointerRoot && focus != rootWindow) {
        if (cardinal(focus, "_NET_WM_PID") >= 0)
            return focus;
        XWindow root, parent, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(m_display, focus, &root, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        focus = parent;
    }
    return 0;
}

bool Desktop::painted(const TopWindow &window)
{
    XImage *image = XGetImage(m_display, DefaultRootWindow(m_display), window.x, window.y,
                              static_cast<unsigned>(window.width),
                              static_cast<unsigned>(window.height), AllPlanes, ZPixmap);
    if (!image)
        return false;
    std::unordered_set<unsigned long> colours;
    for (int y = 0; y < window.height && colours.size() < 16; y += 2) {
        for (int x = 0; x < window.width && colours.size() < 16; x += 2)
            colours.insert(XGetPixel(image, x, y));
    }
    XDestroyImage(image);
    // Text, pictures and buttons give many colours; a window never painted
    // is one flat colour.
    return colours.size() >= 16;
}

std::vector<std::string> Desktop::allowedActions(XWindow client)
{
    std::vector<std::string> names;
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    if (XGetWindowProperty(m_display, client, atom(m_display, "_NET_WM_ALLOWED_ACTIONS"), 0, 64,
                           False, XA_ATOM, &type, &format, &count, &after, &data) == Success &&
        data) {
        const auto *atoms = reinterpret_cast<Atom *>(data);
        for (unsigned long i = 0; i < count; ++i) {
            char *name = XGetAtomName(m_display, atoms[i]);
            names.emplace_back(name);
            XFree(name);
        }
    }
    if (data)
        XFree(data);
    return names;
}

std::pair<long, long> Desktop::motifHints(XWindow client)
{
    const Atom hints = atom(m_display, "_MOTIF_WM_HINTS");
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char *data = nullptr;
    std::pair<long, long> result{-1, -1};
    if (XGetWindowProperty(m_display, client, hints, 0, 5, False, hints, &type, &format, &count,
                           &after, &data) == Success &&
        data && count >= 3) {
        const auto *values = reinterpret_cast<long *>(data);
        result = {values[0] & 1 ? values[1] : -1, values[0] & 2 ? values[2] : -1};
    }
    if (data)
        XFree(data);
    return result;
}

bool Desktop::fixedSize(XWindow client)
{
    XSizeHints hints;
    long supplied = 0;
    if (!XGetWMNormalHints(m_display, client, &hints, &supplied))
        return false;
    return (hints.flags & PMinSize) && (hints.flags & PMaxSize) &&
           hints.min_width == hints.max_width && hints.min_height == hints.max_height;
}

void Desktop::key(const std::string &keysym, bool control)
{
    const KeyCode code = XKeysymToKeycode(m_display, XStringToKeysym(keysym.c_str()));
    const KeyCode ctrl = XKeysymToKeycode(m_display, XK_Control_L);
    if (control)
        XTestFakeKeyEvent(m_display, ctrl, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, True, CurrentTime);
    XTestFakeKeyEvent(m_display, code, False, CurrentTime);
    if (control)
        XTestFakeKeyEvent(m_display, ctrl, False, CurrentTime);
    XFlush(m_display);
}

void Desktop::keyWith(const std::string &heldKeysym, const std::string &keysym)
{
    const KeyCode held = XKeysymToKeycode(m_display, XStringToKeysym(heldKeysym.c_str()));
    XTestFakeKeyEvent(m_display, held, True, CurrentTime);
    key(keysym);
    XTestFakeKeyEvent(m_display, held, False, CurrentTime);
    XFlush(m_display);
}

void Desktop::type(const std::string &text)
{
    for (char c : text) {
        switch (c) {
        case ',':
            key("comma");
            break;
        case '.':
            key("period");
            break;
        case '-':
            key("minus");
            break;
        default:
            key(std::string(1, c));
            break;
        }
    }
}

void Desktop::close(XWindow client)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.format = 32;
    event.xclient.window = client;
    if (hasWindowManager()) {
        // As a title bar's button: the window manager is asked to close it.
        event.xclient.message_type = atom(m_display, "_NET_CLOSE_WINDOW");
        event.xclient.data.l[0] = CurrentTime;
        event.xclient.data.l[1] = 2;
        XSendEvent(m_display, DefaultRootWindow(m_display), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
    } else {
        event.xclient.message_type = atom(m_display, "WM_PROTOCOLS");
        event.xclient.data.l[0] = static_cast<long>(atom(m_display, "WM_DELETE_WINDOW"));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(m_display, client, False, NoEventMask, &event);
    }
    XFlush(m_display);
}

// Every window that appears is watched for its own changes: mapping, title,
// focus and drawing each wake a waiting test.
void Desktop::watchNewWindows()
{
    const XWindow rootWindow = DefaultRootWindow(m_display);
    XWindow root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(m_display, rootWindow, &root, &parent, &children, &count))
        return;
    for (unsigned int i = 0; i < count; ++i) {
        for (XWindow w : {children[i], clientOf(children[i])}) {
            if (!w || !m_watched.insert(w).second)
                continue;
            XSelectInput(m_display, w,
                         StructureNotifyMask | SubstructureNotifyMask | PropertyChangeMask |
                             FocusChangeMask | ExposureMask);
            XDamageCreate(m_display, w, XDamageReportNonEmpty);
        }
    }
    if (children)
        XFree(children);
}

bool Desktop::waitFor(const std::function<bool()> &ready, GameProcess *game,
                      std::chrono::milliseconds timeout)
{
    const auto deadline = SteadyClock::now() + timeout;
    bool timedOut = false;
    for (;;) {
        watchNewWindows();
        XSync(m_display, False);
        while (XPending(m_display)) {
            XEvent event;
            XNextEvent(m_display, &event);
            if (event.type == m_damageEvent + XDamageNotify)
                XDamageSubtract(m_display, reinterpret_cast<XDamageNotifyEvent *>(&event)->damage,
                                None, None);
        }
        if (game)
            game->poll();
        if (ready()) {
            // Met only on the last look, after the wait ran out with no event
            // to wake it: a missed wake-up, a stall of the whole timeout,
            // which is reported rather than passed over in silence. (Met
            // after an event that came late, on a slow machine, is only slow.)
            if (timedOut) {
                ++m_missedWakeUps;
                std::cerr << "desktop: missed wake-up: the condition held only after the "
                             "wait ran out with no event; the test stalled for "
                          << timeout.count() << " ms\n";
            }
            return true;
        }
        // Looking at the windows reads from the server, and events that came
        // meanwhile wait in Xlib's queue, not on the socket: take them first.
        if (XQLength(m_display) > 0)
            continue;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SteadyClock::now());
        if (left.count() <= 0)
            return false;
        pollfd fds[2] = {{ConnectionNumber(m_display), POLLIN, 0},
                         {game && !game->hasEnded() ? game->stderrFd() : -1, POLLIN, 0}};
        timedOut = ::poll(fds, 2, static_cast<int>(left.count())) == 0;
    }
}

QImage Desktop::screenshot()
{
    const Screen *screen = DefaultScreenOfDisplay(m_display);
    XImage *image = XGetImage(m_display, DefaultRootWindow(m_display), 0, 0,
                              static_cast<unsigned>(screen->width),
                              static_cast<unsigned>(screen->height), AllPlanes, ZPixmap);
    QImage result(screen->width, screen->height, QImage::Format_RGB32);
    if (!image)
        return result;
    for (int y = 0; y < screen->height; ++y) {
        for (int x = 0; x < screen->width; ++x)
            result.setPixel(x, y, static_cast<QRgb>(XGetPixel(image, x, y)) | 0xFF000000u);
    }
    XDestroyImage(image);
    return result;
}

void Desktop::saveScreenshot(const fs::path &file)
{
    screenshot().save(QString::fromStdString(file.string()), "PNG");
}

// ---------------------------------------------------------------- the game

GameProcess::GameProcess(const fs::path &gameFolder)
{
    char pattern[] = "/tmp/ks-desktop-XXXXXX";
    m_folder = fs::path(mkdtemp(pattern)) / "app";
    fs::copy(gameFolder, m_folder, fs::copy_options::recursive);
    // The problem-file tool is not the game's business here.
    fs::remove(m_folder / "ksdtool");
}

GameProcess::~GameProcess()
{
    stop(m_pid);
    if (m_stderr >= 0)
        ::close(m_stderr);
    std::error_code ignored;
    fs::remove_all(m_folder.parent_path(), ignored);
}

void GameProcess::start(const Desktop &desktop)
{
    int fds[2];
    if (pipe(fds) != 0)
        return;
    const fs::path runtime = m_folder.parent_path() / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    std::vector<std::string> environment = {
        "DISPLAY=" + desktop.displayName(),
        "QT_QPA_PLATFORM=xcb",
        "SDL_AUDIODRIVER=dummy",
        "QT_LOGGING_RULES=ks.host.debug=true\nks.play.debug=true",
        "XDG_RUNTIME_DIR=" + runtime.string(),
        "HOME=" + m_folder.parent_path().string()};
    environment.insert(environment.end(), m_environment.begin(), m_environment.end());
    m_pid = spawn({(m_folder / "keystorm").string()}, environment, -1, fds[1]);
    ::close(fds[1]);
    m_stderr = fds[0];
    fcntl(m_stderr, F_SETFL, O_NONBLOCK);
}

bool GameProcess::poll()
{
    if (m_stderr >= 0) {
        char buffer[4096];
        ssize_t n;
        while ((n = read(m_stderr, buffer, sizeof buffer)) > 0)
            m_log.append(buffer, static_cast<std::size_t>(n));
    }
    if (!m_ended && m_pid > 0) {
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_ended = true;
            m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            m_pid = -1;
        }
    }
    return m_ended;
}

int GameProcess::count(const std::string &line) const
{
    int n = 0;
    const std::string whole = line + "\n";
    for (std::size_t at = m_log.find(whole); at != std::string::npos;
         at = m_log.find(whole, at + whole.size())) {
        if (at == 0 || m_log[at - 1] == '\n')
            ++n;
    }
    return n;
}

std::vector<std::string> GameProcess::linesStartingWith(const std::string &prefix) const
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end = m_log.find('\n'); end != std::string::npos;
         start = end + 1, end = m_log.find('\n', start)) {
        if (m_log.compare(start, prefix.size(), prefix) == 0)
            lines.push_back(m_log.substr(start, end - start));
    }
    return lines;
}

} // namespace ks::desktop
