#include "application.h"

#include "units.h"

#include <QApplication>

#include <fontconfig/fontconfig.h>

#include <fcntl.h>
#include <unistd.h>

namespace ks {

namespace {

// The console as it was at start-up. The sound service points stderr at
// /dev/null while the audio libraries open, so their chatter stays off the
// player's console; the game's own log lines, which a developer or a test
// asks for with QT_LOGGING_RULES, must not vanish with it.
int g_console = -1;
QtMessageHandler g_qtHandler = nullptr;

void writeToConsole(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtFatalMsg || g_console < 0) {
        g_qtHandler(type, context, message);
        return;
    }
    const QByteArray line = (qFormatLogMessage(type, context, message) + '\n').toLocal8Bit();
    // One write a line, so lines from several threads never interleave.
    [[maybe_unused]] const ssize_t written = ::write(g_console, line.constData(), line.size());
}

void keepLogOnConsole()
{
    if (g_console >= 0)
        return;
    g_console = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    g_qtHandler = qInstallMessageHandler(writeToConsole);
}

} // namespace

std::jthread warmUpFonts()
{
    return std::jthread([] { FcInit(); });
}

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("keystorm"));
    QApplication::setQuitOnLastWindowClosed(false);
    keepLogOnConsole();
    installScreenFont();
}

} // namespace ks
