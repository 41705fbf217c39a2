// keystorm-scenario: plays the real game offscreen on a manual clock from a
// script, and prints what a player would notice. Used by the end-to-end tests
// and by anyone replaying a flow.
#include "core/textfile.h"
#include "screens/screentable.h"
#include "shell/assetstore.h"
#include "shell/screenhost.h"
#include "shell/units.h"
#include "headless/fixedservices.h"
#include "headless/manualclock.h"
#include "headless/recordingsound.h"
#include "headless/scripteddialogs.h"
#include "shell/random.h"
#include "shell/records/records.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>

namespace {

using namespace ks;

void usage()
{
    std::cerr
        << "usage: keystorm-scenario --appdir DIR [--seed N] [SCRIPT]\n"
           "commands: press KEY | type TEXT | typeshown SCREEN.LABEL | wait MS |\n"
           "          click SCREEN.CONTROL |\n"
           "          move SCREEN.CONTROL | answer TEXT | state | records | shot PATH | quit\n"
           "an open message box takes the keys (Return, Space or Esc close it);\n"
           "answer TEXT answers the open or the next dialog (a path, cancel, ok)\n"
           "state prints one NAME=VALUE line each; in a value a line break is\n"
           "written \\n, a carriage return \\r and a backslash \\\\\n"
           "records prints the rows of the records' views: runs (without id and\n"
           "started_at) and key_misses, one 'VIEW: a | b | ...' line each\n";
}

// A value on one line: a caption of several lines stays one state line, so
// a reader can tell its continuation from the next control.
QString escaped(const QString &value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        if (c == u'\\')
            out += QLatin1String("\\\\");
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else
            out += c;
    }
    return out;
}

void print(const QString &line)
{
    std::cout << line.toStdString() << '\n';
}

struct Key
{
    int qtKey = 0;
    QString text;
    Qt::KeyboardModifiers modifiers;
};

std::optional<Key> namedKey(const QString &name)
{
    static const std::map<QString, Key> keys = {
        {QStringLiteral("Return"), {Qt::Key_Return, QStringLiteral("\r"), {}}},
        {QStringLiteral("Esc"), {Qt::Key_Escape, QStringLiteral("\x1b"), {}}},
        {QStringLiteral("Backspace"), {Qt::Key_Backspace, QStringLiteral("\b"), {}}},
        {QStringLiteral("Space"), {Qt::Key_Space, QStringLiteral(" "), {}}},
        {QStringLiteral("Left"), {Qt::Key_Left, QString(), {}}},
        {QStringLiteral("Right"), {Qt::Key_Right, QString(), {}}},
        {QStringLiteral("Up"), {Qt::Key_Up, QString(), {}}},
        {QStringLiteral("Down"), {Qt::Key_Down, QString(), {}}},
        {QStringLiteral("Tab"), {Qt::Key_Tab, QStringLiteral("\t"), {}}},
        {QStringLiteral("Home"), {Qt::Key_Home, QString(), {}}},
        {QStringLiteral("End"), {Qt::Key_End, QString(), {}}},
        {QStringLiteral("Delete"), {Qt::Key_Delete, QString(), {}}},
    };
    if (const auto found = keys.find(name); found != keys.end())
        return found->second;
    return std::nullopt;
}

// The key a keyboard has for one character: a letter's key with Shift for
// capitals, a digit's key, or for anything else the character alone.
Key characterKey(char32_t c)
{
    const QString text = QString::fromUcs4(&c, 1);
    if (c >= U'a' && c <= U'z')
        return {Qt::Key_A + int(c - U'a'), text, {}};
    if (c >= U'A' && c <= U'Z')
        return {Qt::Key_A + int(c - U'A'), text, Qt::ShiftModifier};
    if (c >= U'0' && c <= U'9')
        return {Qt::Key_0 + int(c - U'0'), text, {}};
    if (c == U' ')
        return {Qt::Key_Space, text, {}};
    if (c < 0x7F)
        return {int(c), text, {}};
    return {Qt::Key_unknown, text, {}};
}

// Notices files the game wrote in its directory since the last look.
class FileWatch
{
public:
    explicit FileWatch(QString root) : m_root(std::move(root)) { m_seen = scan(); }

    QStringList changed()
    {
        std::map<QString, QByteArray> now = scan();
        QStringList result;
        for (const auto &[name, hash] : now) {
            const auto before = m_seen.find(name);
            if (before == m_seen.end() || before->second != hash)
                result << shownName(name);
        }
        result.removeDuplicates();
        m_seen = std::move(now);
        return result;
    }

private:
    // SQLite's companions of the records: a saved run lands in the write-ahead
    // log and reaches the file itself only at a checkpoint, so the log stands
    // for the file; the shared-memory index changes even when a reader looks.
    static bool isIndexOfRecords(const QString &name)
    {
        return name.endsWith(QStringLiteral(".sqlite3-shm"));
    }
    static QString shownName(const QString &name)
    {
        return name.endsWith(QStringLiteral(".sqlite3-wal")) ? name.chopped(4) : name;
    }

    std::map<QString, QByteArray> scan() const
    {
        std::map<QString, QByteArray> files;
        QDirIterator it(m_root, QDir::Files, QDirIterator::Subdirectories);
        const QDir root(m_root);
        while (it.hasNext()) {
            const QString path = it.next();
            if (isIndexOfRecords(path))
                continue;
            // Read as the game reads: a FIFO or a device in the folder is
            // skipped, not waited on or read for ever.
            Result<std::string> bytes = readRegularFile(path.toStdString(), kMaxTextFileBytes * 16);
            if (!bytes)
                continue;
            files[root.relativeFilePath(path)] = QCryptographicHash::hash(
                QByteArray::fromStdString(*bytes), QCryptographicHash::Md5);
        }
        return files;
    }

    QString m_root;
    std::map<QString, QByteArray> m_seen;
};

std::string recordsIn(const QString &appDir)
{
    return AppDir(QDir(appDir).absolutePath().toStdString()).playerFile(kRecordsFile);
}

class Runner
{
public:
    Runner(const QString &appDir, std::optional<std::uint64_t> seed)
        : m_random(seed), m_records(recordsIn(appDir), m_wallClock),
          m_host({m_clock, m_random, m_dialogs, m_sound, m_assets, m_records, m_keyboard,
                  AppDir(QDir(appDir).absolutePath().toStdString())},
                 gameScreens()),
          m_files(appDir)
    {
        m_sound.baseDir = QString::fromStdString(m_host.services().appDir.Mypath());
        m_sound.onLog = print;
        m_dialogs.onLog = print;
        m_host.setTrace(print);
    }

    void start()
    {
        m_host.show(kStartScreen);
        m_dialogs.answerQueued();
    }
    bool ended() const { return m_host.hasEnded(); }

    // Runs one command; false when the runner should stop.
    bool run(const QString &line)
    {
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith('#'))
            return true;
        const qsizetype space = trimmed.indexOf(' ');
        const QString command = trimmed.left(space < 0 ? trimmed.size() : space);
        const QString argument = space < 0 ? QString() : trimmed.mid(space + 1);

        if (command == QLatin1String("quit"))
            return false;
        if (command == QLatin1String("press"))
            press(argument);
        else if (command == QLatin1String("type"))
            type(argument);
        else if (command == QLatin1String("typeshown"))
            typeShown(argument);
        else if (command == QLatin1String("wait"))
            m_clock.advance(argument.toLongLong());
        else if (command == QLatin1String("click") || command == QLatin1String("move"))
            mouse(command, argument);
        else if (command == QLatin1String("answer"))
            m_dialogs.queueAnswer(argument);
        else if (command == QLatin1String("state"))
            state();
        else if (command == QLatin1String("records"))
            records();
        else if (command == QLatin1String("shot"))
            shot(argument);
        else
            print(QStringLiteral("error: unknown command ") + command);
        // A dialog stays open, as it would for a player, until a key closes
        // it or a queued answer answers it once the command is done.
        m_dialogs.answerQueued();
        // A window the command closed goes, as the game's event loop lets it
        // go once the key is over: a long script does not pile them up.
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (const QString &file : m_files.changed())
            print(QStringLiteral("write ") + file);
        return true;
    }

private:
    // An open box takes the key, as it would on a desktop.
    // The key goes where the keyboard would send it: the widget with the focus
    // in the screen in front (a text box of the options, say), or the
    // screen's window. The game's key filter gives it to the screen first.
    void deliver(const Key &key)
    {
        if (m_dialogs.pressKey(key.qtKey) || m_host.hasEnded())
            return;
        Screen *screen = m_host.activeScreen();
        if (!screen)
            return;
        QWidget *target = screen->window()->focusWidget();
        if (!target)
            target = screen->window();
        QKeyEvent press(QEvent::KeyPress, key.qtKey, key.modifiers, key.text);
        QApplication::sendEvent(target, &press);
    }

    void press(const QString &name)
    {
        if (const std::optional<Key> key = namedKey(name)) {
            deliver(*key);
            return;
        }
        const QList<uint> chars = name.toUcs4();
        if (chars.size() != 1) {
            print(QStringLiteral("error: unknown key ") + name);
            return;
        }
        deliver(characterKey(chars.first()));
    }

    void type(const QString &text)
    {
        for (uint c : text.toUcs4())
            deliver(characterKey(c));
    }

    // Types what a label shows, as a player reads it off the screen: the
    // romaji of a word whose choice was random.
    void typeShown(const QString &path)
    {
        auto *label = dynamic_cast<Label *>(findControl(path));
        if (!label) {
            print(QStringLiteral("error: no label ") + path);
            return;
        }
        type(label->caption());
    }

    Control *findControl(const QString &path, Screen **screenOut = nullptr)
    {
        const qsizetype dot = path.indexOf('.');
        if (dot < 0)
            return nullptr;
        for (Screen *screen : m_host.screens()) {
            if (screen->name() == path.left(dot) && screen->isLoaded()) {
                if (screenOut)
                    *screenOut = screen;
                return screen->control(path.mid(dot + 1));
            }
        }
        return nullptr;
    }

    void mouse(const QString &command, const QString &path)
    {
        Control *control = findControl(path);
        auto *widget = dynamic_cast<QWidget *>(control);
        if (auto *item = dynamic_cast<MenuItem *>(control);
            item && command == QLatin1String("click")) {
            item->action()->trigger();
            return;
        }
        if (!widget) {
            print(QStringLiteral("error: no control ") + path);
            return;
        }
        const QPointF centre = QRectF(widget->rect()).center();
        if (command == QLatin1String("move")) {
            QMouseEvent move(QEvent::MouseMove, centre, widget->mapToGlobal(centre), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(widget, &move);
            return;
        }
        // A click focuses what takes focus from the mouse, as the desktop's
        // own clicks do.
        if (widget->focusPolicy() & Qt::ClickFocus)
            widget->setFocus(Qt::MouseFocusReason);
        QMouseEvent down(QEvent::MouseButtonPress, centre, widget->mapToGlobal(centre),
                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent up(QEvent::MouseButtonRelease, centre, widget->mapToGlobal(centre),
                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &down);
        QApplication::sendEvent(widget, &up);
    }

    void state()
    {
        StateWriter out;
        for (Screen *screen : m_host.screens())
            screen->writeState(out);
        for (const QString &line : out.lines()) {
            const qsizetype equals = line.indexOf(u'=');
            print(line.left(equals + 1) + escaped(line.mid(equals + 1)));
        }
    }

    void records()
    {
        const std::pair<Records::View, QString> views[] = {
            {Records::View::Runs, QStringLiteral("runs: ")},
            {Records::View::KeyMisses, QStringLiteral("key_misses: ")}};
        for (const auto &[view, prefix] : views) {
            const std::optional<std::vector<std::string>> rows = m_records.viewRows(view);
            if (!rows) {
                print(QStringLiteral("error: the records cannot be read"));
                return;
            }
            for (const std::string &row : *rows)
                print(prefix + escaped(QString::fromStdString(row)));
        }
    }

    void shot(const QString &path)
    {
        Screen *screen = m_host.activeScreen();
        if (!screen) {
            print(QStringLiteral("error: no screen is shown"));
            return;
        }
        if (!screen->window()->grab().save(path, "PNG"))
            print(QStringLiteral("error: cannot write ") + path);
        else
            print(QStringLiteral("shot %1 %2").arg(screen->name(), path));
    }

    headless::ManualClock m_clock;
    StdRandom m_random;
    headless::ScriptedDialogs m_dialogs;
    headless::RecordingSoundService m_sound;
    AssetStore m_assets;
    // A fixed wall clock, so a script's records are the same at every replay.
    headless::FixedWallClock m_wallClock;
    // US, whatever the machine: a script's records window is the same everywhere.
    headless::FixedKeyboardSettings m_keyboard;
    Records m_records;
    ScreenHost m_host;
    FileWatch m_files;
};

} // namespace

// The offscreen platform complains about what it cannot do (raise a window);
// only the game's own diagnostics and real failures belong on the console.
void quietMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool ours = context.category && QByteArray(context.category).startsWith("ks.");
    if (ours || type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << message.toStdString() << '\n';
}

int main(int argc, char *argv[])
{
    qInstallMessageHandler(quietMessages);
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installScreenFont();

    QString appDir;
    QString script;
    std::optional<std::uint64_t> seed;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--appdir") && i + 1 < args.size()) {
            appDir = args[++i];
        } else if (args[i] == QLatin1String("--seed") && i + 1 < args.size()) {
            bool ok = false;
            seed = args[++i].toULongLong(&ok);
            if (!ok) {
                usage();
                return 2;
            }
        } else if (args[i] == QLatin1String("--help")) {
            usage();
            return 0;
        } else if (script.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            script = args[i];
        } else {
            usage();
            return 2;
        }
    }
    if (appDir.isEmpty() || !QDir(appDir).exists()) {
        usage();
        return 2;
    }

    std::ifstream file;
    if (!script.isEmpty()) {
        file.open(script.toStdString());
        if (!file) {
            std::cerr << "keystorm-scenario: cannot read " << script.toStdString() << '\n';
            return 2;
        }
    }
    std::istream &input = script.isEmpty() ? std::cin : file;

    Runner runner(appDir, seed);
    runner.start();
    std::string line;
    while (!runner.ended() && std::getline(input, line)) {
        const bool goOn = runner.run(QString::fromStdString(line));
        if (runner.ended())
            print(QStringLiteral("ended"));
        std::cout << ".\n" << std::flush;
        if (!goOn)
            break;
    }
    return 0;
}
