#include "playerchoices.h"

#include "dialogs.h"
#include "fileproblem.h"
#include "screenhost.h"

namespace ks {

PlayerSettings readPlayerChoices(ScreenHost &host, QWidget *parent)
{
    Services &services = host.services();
    Result<PlayerSettings> settings =
        loadPlayerSettings(services.appDir.playerFile(kPlayerSettingsFile));
    if (settings)
        return *settings;
    if (host.firstTime(QStringLiteral("keystorm.ini unreadable"))) {
        services.dialogs.message(
            parent,
            fileProblemText(QStringLiteral("設定ファイル（keystorm.ini）"), settings.error()) +
                QStringLiteral("つづりの選び方などは初めの設定のまま遊びます。"),
            {});
    }
    return {};
}

} // namespace ks
