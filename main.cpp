// キーストーム: the game's executable. Everything it reads and writes lies in
// the directory that holds it, or, installed, in the player's data folder.
#include "core/textfile.h"
#include "screens/screentable.h"
#include "shell/application.h"
#include "shell/assetstore.h"
#include "shell/clock.h"
#include "shell/dialogs.h"
#include "shell/keyboardsettings.h"
#include "shell/random.h"
#include "shell/records/records.h"
#include "shell/screenhost.h"
#include "shell/soundservice.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM")) {
        std::fputs("キーストーム needs a graphical desktop (no DISPLAY is set).\n", stderr);
        return 1;
    }
    const std::jthread fonts = ks::warmUpFonts();
    QApplication app(argc, argv);
    ks::setUpApplication();

    ks::RealClock clock;
    ks::StdRandom random;
    ks::QtDialogs dialogs;
    ks::AssetStore assets;
    std::unique_ptr<ks::SoundService> sound = ks::createSdlSoundService();

    const QIcon icon = assets.icon(QStringLiteral("icon"));
    QApplication::setWindowIcon(icon);

    const ks::AppDir appDir = ks::AppDir::ofRunningProgram();
    // A write the last session did not finish left its temporary behind.
    ks::removeStaleTemporaries(appDir.playerPath());
    // Opened at the first save or when the records window opens, not here.
    ks::SystemWallClock wallClock;
    ks::Records records(appDir.playerFile(ks::kRecordsFile), wallClock);
    const ks::SystemKeyboardSettings keyboard;
    ks::ScreenHost host({clock, random, dialogs, *sound, assets, records, keyboard, appDir},
                        ks::gameScreens());
    host.setProgramIcon(icon);
    QObject::connect(&host, &ks::ScreenHost::ended, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    if (appDir.canSave()) {
        host.show(ks::kStartScreen);
    } else {
        // Said once, before anything else: every save would fail, and the
        // player should know why before a high score is lost.
        const QString folder = QString::fromStdString(appDir.playerPath());
        dialogs.message(nullptr,
                        QStringLiteral("プレイヤーのデータを保存するフォルダ%1を作れません。"
                                       "このまま遊べますが、ハイスコアや設定は保存されません。")
                            .arg(folder.isEmpty()
                                     ? QString()
                                     : QStringLiteral("（") + folder + QStringLiteral("）")),
                        [&host] { host.show(ks::kStartScreen); });
    }
    return host.hasEnded() ? 0 : QApplication::exec();
}
