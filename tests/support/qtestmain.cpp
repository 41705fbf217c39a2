// main() of the test binaries that need Qt: the offscreen platform, one
// QApplication for the whole binary, and the game's font.
#include "shell/units.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Only failures and the game's own diagnostics belong in test output.
void quietMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const bool ours = context.category && QByteArray(context.category).startsWith("ks.");
    if (ours || type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    // gtest_discover_tests runs the binary at build time, outside CTest's environment.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietMessages);
    QApplication app(argc, argv);
    ks::installScreenFont();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
