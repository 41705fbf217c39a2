#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include <sys/types.h>

using Display = struct _XDisplay;
class QImage;

namespace ks::desktop {

using XWindow = unsigned long;

// One top-level window of a program, as the X server and the window manager
// see it.
struct TopWindow
{
    XWindow client = 0; // the program's own window
    XWindow frame = 0;  // the window manager's frame around it, or the client itself
    std::string title;
    int x = 0, y = 0, width = 0, height = 0; // the client area on the screen
    bool dialog = false;                     // _NET_WM_WINDOW_TYPE_DIALOG

    bool is(const std::string &t) const { return title == t; }
};

class GameProcess;

// A virtual X display of its own (Xvfb), with or without a window manager
// (openbox), where a test plays the real game with XTest keys and watches
// its windows. Waiting is done on events: X structure, property, focus and
// damage events, and the game's own log lines; never on fixed sleeps.
class Desktop
{
public:
    explicit Desktop(bool windowManager);
    ~Desktop();
    Desktop(const Desktop &) = delete;
    Desktop &operator=(const Desktop &) = delete;

    // Why the display or its window manager could not be started; empty when
    // they were. A test fails at once on it.
    const std::string &failure() const { return m_failure; }
    const std::string &displayName() const { return m_name; }
    // Waits whose condition held only once they had run out, with no event
    // to wake them: each one a test stalled for its whole timeout.
    int missedWakeUps() const { return m_missedWakeUps; }
    bool hasWindowManager() const { return m_wmPid > 0; }

    // The viewable windows of a process, bottom to top.
    std::vector<TopWindow> windows(pid_t pid);
    // The client window that has the keyboard focus, or 0.
    XWindow focusedClient();
    // Whether the window's area on the screen holds a picture rather than
    // one flat colour (a window that was never painted).
    bool painted(const TopWindow &window);
    // Window manager hints of a client, for the tests of its title bar.
    std::vector<std::string> allowedActions(XWindow client);
    // _MOTIF_WM_HINTS functions and decorations, or {-1, -1} when unset.
    std::pair<long, long> motifHints(XWindow client);
    // WM_NORMAL_HINTS: the window asks for a fixed size.
    bool fixedSize(XWindow client);

    // One key pressed and released: an X keysym name ("Return", "a"), with
    // Control held when control is set.
    void key(const std::string &keysym, bool control = false);
    // A key pressed while another is held: a menu's mnemonic with Alt_L.
    void keyWith(const std::string &heldKeysym, const std::string &keysym);
    // Lowercase letters, digits and ",.-" as their keys.
    void type(const std::string &text);
    // What a title bar's close button does: the window manager's close
    // request, or WM_DELETE_WINDOW straight to the client without one.
    void close(XWindow client);

    // Runs until ready() holds or the time is up; wakes on X events and on
    // the game's log. Returns ready().
    bool waitFor(const std::function<bool()> &ready, GameProcess *game,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // The whole screen, for a failing test's evidence.
    QImage screenshot();
    void saveScreenshot(const std::filesystem::path &file);

private:
    void watchNewWindows();
    XWindow clientOf(XWindow top, int depth = 0);
    std::string titleOf(XWindow window);
    long cardinal(XWindow window, const char *property);

    std::string m_failure;
    int m_missedWakeUps = 0;
    std::string m_name;
    pid_t m_xvfbPid = -1;
    pid_t m_wmPid = -1;
    Display *m_display = nullptr;
    int m_damageEvent = 0;
    std::set<XWindow> m_watched;
};

// The real game, run from a scratch copy of its folder on a Desktop, its
// host's log (screens loaded, shown, unloaded) read from its stderr.
class GameProcess
{
public:
    // Copies the game folder; the test may change its files before start().
    explicit GameProcess(const std::filesystem::path &gameFolder);
    ~GameProcess();
    GameProcess(const GameProcess &) = delete;
    GameProcess &operator=(const GameProcess &) = delete;

    const std::filesystem::path &folder() const { return m_folder; }
    // An environment entry ("NAME=value") for the game, set before start().
    void addEnvironment(std::string entry) { m_environment.push_back(std::move(entry)); }
    void start(const Desktop &desktop);
    pid_t pid() const { return m_pid; }

    // Reads what the game wrote so far; true when it has ended.
    bool poll();
    int stderrFd() const { return m_stderr; }
    bool hasEnded() const { return m_ended; }
    int exitCode() const { return m_exitCode; }
    const std::string &log() const { return m_log; }
    // How many whole lines of the log read line ("ks.play: Fight ready").
    int count(const std::string &line) const;
    // The log's lines that start with prefix, in order.
    std::vector<std::string> linesStartingWith(const std::string &prefix) const;

private:
    std::filesystem::path m_folder;
    std::vector<std::string> m_environment;
    pid_t m_pid = -1;
    int m_stderr = -1;
    bool m_ended = false;
    int m_exitCode = -1;
    std::string m_log;
};

} // namespace ks::desktop
