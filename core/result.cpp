#include "result.h"

namespace ks {

std::string Error::message() const
{
    const char *what = "";
    switch (code) {
    case ErrorCode::NotFound:
        what = "ファイルが見付かりません";
        break;
    case ErrorCode::Unreadable:
        what = "ファイルを読めません";
        break;
    case ErrorCode::TooLarge:
        what = "ファイルが大きすぎます";
        break;
    case ErrorCode::BadEncoding:
        what = "Shift_JIS として読めない文字があります";
        break;
    case ErrorCode::Unencodable:
        what = "Shift_JIS で書けない文字があります";
        break;
    case ErrorCode::TooManyItems:
        what = "項目が多すぎます";
        break;
    case ErrorCode::TooFewItems:
        what = "項目が足りません";
        break;
    case ErrorCode::TooManyLines:
        what = "行が多すぎます";
        break;
    case ErrorCode::UnsafeItem:
        what = "書けない項目があります（空、カンマ、引用符、改行、前後の空白）";
        break;
    case ErrorCode::UntypableRomaji:
        what = "キーで打てないローマ字があります";
        break;
    case ErrorCode::KanaBeforeFirstProblem:
        what = "最初の「@」より前にかなか「、」があります";
        break;
    case ErrorCode::TooManyProblems:
        what = "問題が多すぎます";
        break;
    case ErrorCode::UnplayableTimeLimit:
        what = "制限時間が 1 秒に足りません";
        break;
    case ErrorCode::UnplayableProblemCount:
        what = "問題数がマイナスです";
        break;
    case ErrorCode::UnsafeAssetFolder:
        what = "素材フォルダが練習問題のフォルダの外を指しています";
        break;
    case ErrorCode::WriteFailed:
        what = "ファイルを書けません";
        break;
    case ErrorCode::CannotMake:
        what = "問題ファイルを作れません";
        break;
    }
    if (detail.empty())
        return what;
    return std::string(what) + "：" + detail;
}

} // namespace ks
