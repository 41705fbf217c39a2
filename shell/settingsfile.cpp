#include "settingsfile.h"

#include "core/settings.h"

namespace ks {

Result<std::vector<std::string>> readSettingsFile(const AppDir &dir, std::size_t capacity)
{
    return readSettings(dir.path(kSettingsFile), capacity);
}

QString settingsFailureText(const Error &error)
{
    QString what;
    switch (error.code) {
    case ErrorCode::NotFound:
        what = QStringLiteral("設定ファイル（settei.dat）が見付かりません。");
        break;
    case ErrorCode::TooManyLines:
        what = QStringLiteral("設定ファイル（settei.dat）の行が多すぎます。");
        break;
    case ErrorCode::BadEncoding:
        what = QStringLiteral("設定ファイル（settei.dat）に読めない文字があります。");
        break;
    default:
        what = QStringLiteral("設定ファイル（settei.dat）を読み込めません。");
        break;
    }
    return what + QStringLiteral("メインメニューに戻ります。");
}

QString settingsWriteFailureText(const Error &)
{
    return QStringLiteral("設定ファイル（settei.dat）にハイスコアを保存できませんでした。"
                          "前のファイルはそのまま残っています。");
}

} // namespace ks
