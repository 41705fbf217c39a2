#include "keeprun.h"

#include "core/appdir.h"
#include "core/playersettings.h"
#include "shell/dialogs.h"

namespace ks {

QString lostRunText(RecordsFault fault)
{
    const QString head =
        QStringLiteral("今回のプレイは記録（records.sqlite3）に残せませんでした。");
    switch (fault) {
    case RecordsFault::Locked:
        return head + QStringLiteral("ほかのプログラム（もう一つのキーストームなど）が記録のファイ"
                                     "ルを使っています。");
    case RecordsFault::ReadOnly:
        return head + QStringLiteral("記録のファイルに書き込めません（読み取り専用です）。");
    case RecordsFault::DiskFull:
        return head + QStringLiteral("ディスクに空きがありません。");
    case RecordsFault::NewerVersion:
        return head +
               QStringLiteral("新しい版のキーストームの記録なので、そのままにしてあります。");
    case RecordsFault::Unavailable:
    case RecordsFault::None:
        break;
    }
    return head + QStringLiteral("記録のファイルを開けません。");
}

void keepRun(Records &records, Dialogs &dialogs, const AppDir &dir, const RunLog &log)
{
    const SaveResult saved = records.save(log);
    if (!saved.recorded)
        dialogs.message(nullptr, lostRunText(saved.fault), {});
    tellMovedAside(records, dialogs, dir);
}

void tellMovedAside(Records &records, Dialogs &dialogs, const AppDir &dir)
{
    const std::string settingsFile = dir.playerFile(kPlayerSettingsFile);
    PlayerSettings settings = readPlayerSettings(settingsFile);
    if (const std::string aside = records.takeMovedAside(); !aside.empty()) {
        settings.recordsMovedAside = aside;
        // Should the note not be kept, the box below still tells it now.
        (void)writePlayerSettings(dir.playerFileToWrite(kPlayerSettingsFile), settings);
    }
    if (settings.recordsMovedAside.empty())
        return;
    const QString text =
        QStringLiteral("記録のファイル（records.sqlite3）が壊れていたので、%1 に移して、"
                       "新しい記録を始めました。")
            .arg(QString::fromStdString(settings.recordsMovedAside));
    dialogs.message(nullptr, text, [dir, settingsFile] {
        PlayerSettings told = readPlayerSettings(settingsFile);
        told.recordsMovedAside.clear();
        (void)writePlayerSettings(dir.playerFileToWrite(kPlayerSettingsFile), told);
    });
}

} // namespace ks
