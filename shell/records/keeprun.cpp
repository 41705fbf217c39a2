#include "keeprun.h"

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

void keepRun(Records &records, Dialogs &dialogs, const RunLog &log)
{
    const SaveResult saved = records.save(log);
    if (!saved.recorded)
        dialogs.message(nullptr, lostRunText(saved.fault), {});
}

} // namespace ks
