#include "fileproblem.h"

namespace ks {

QString fileProblemText(const QString &file, const Error &error)
{
    switch (error.code) {
    case ErrorCode::NotFound:
        return file + QStringLiteral("が見付かりません。");
    case ErrorCode::TooLarge:
        return file + QStringLiteral("が大きすぎます。");
    case ErrorCode::BadEncoding:
        return file + QStringLiteral("に読めない文字があります。");
    case ErrorCode::TooManyLines:
        return file + QStringLiteral("の行が多すぎます。");
    case ErrorCode::TooManyItems:
        return file + QStringLiteral("の項目が多すぎます。");
    case ErrorCode::TooFewItems:
        return file + QStringLiteral("の項目が足りません。");
    case ErrorCode::TooManyProblems:
        return file + QStringLiteral("の問題が多すぎます。");
    case ErrorCode::KanaBeforeFirstProblem:
        return file + QStringLiteral("の最初の「@」より前に、打つ文字があります。");
    case ErrorCode::UntypableRomaji:
        return file + QStringLiteral("の") + QString::fromStdString(error.detail) +
               QStringLiteral("。オプションの「ローマ字カスタマイズ」で直して下さい。");
    default:
        return file + QStringLiteral("を読み込めません。");
    }
}

QString fileProblemBackToMenuText(const QString &file, const Error &error)
{
    return fileProblemText(file, error) + QStringLiteral("メインメニューに戻ります。");
}

} // namespace ks
