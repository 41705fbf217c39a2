#include "makecommand.h"

#include "tablekana.h"
#include "sheet.h"

#include "core/items.h"
#include "core/problemfile.h"
#include "core/result.h"
#include "core/romajimatcher.h"
#include "core/textfile.h"
#include "core/utf8.h"
#include "core/kanaproblem.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ksd {

namespace {

using ks::Error;
using ks::ErrorCode;
using ks::Result;

// One problem as the author wrote it in the input.
struct SourceProblem
{
    std::size_t lineNumber = 0;
    std::string display;
    std::vector<std::string> tokens;
};

Error cannotMake(std::string why)
{
    return {ErrorCode::CannotMake, std::move(why)};
}

bool isItemBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isReadingBlank(char32_t code)
{
    return code == U' ' || code == U'\u3000';
}

// The table spells kana in hiragana, so katakana readings are folded onto it.
// ヴ has no hiragana in Shift_JIS and the table keeps it as katakana; small ヵ
// and ヶ have no hiragana partner in use. The table's digits, "！" and "？"
// are full-width, and an author types them as they come: "3" is "３".
// Every character keeps its UTF-8 length except those, so offsets are
// counted on the folded reading.
std::string foldToTableKana(std::string_view reading)
{
    constexpr char32_t kFirstKatakana = 0x30A1; // ァ
    constexpr char32_t kLastFolded = 0x30F3;    // ン; ヴ ヵ ヶ follow
    constexpr char32_t kHiraganaVu = 0x3094;    // ゔ, which the table writes ヴ
    constexpr char32_t kKatakanaVu = 0x30F4;
    std::string out;
    out.reserve(reading.size());
    while (!reading.empty()) {
        const ks::Utf8Char c = ks::firstUtf8Char(reading);
        if (c.code >= kFirstKatakana && c.code <= kLastFolded)
            out += ks::utf8Of(c.code - 0x60);
        else if (c.code == kHiraganaVu)
            out += ks::utf8Of(kKatakanaVu);
        else if ((c.code >= U'0' && c.code <= U'9') || c.code == U'!' || c.code == U'?')
            out += ks::utf8Of(fullWidth(c.code));
        else
            out += reading.substr(0, c.bytes);
        reading.remove_prefix(c.bytes);
    }
    return out;
}

std::string lineLabel(const std::string &input, std::size_t lineNumber)
{
    return input + ":" + std::to_string(lineNumber) + " 行目：";
}

// Splits a reading into the table's kana, the longest first.
Result<std::vector<std::string>> tokenizeReading(std::string_view reading, const TableKana &kana,
                                                 const std::string &where)
{
    const std::string folded = foldToTableKana(reading);
    std::vector<std::string> tokens;
    std::size_t pos = 0;
    while (pos < folded.size()) {
        const std::string_view rest = std::string_view(folded).substr(pos);
        const ks::Utf8Char c = ks::firstUtf8Char(rest);
        if (isReadingBlank(c.code)) {
            pos += c.bytes;
            continue;
        }
        if (rest.starts_with(ks::kCommaKana)) {
            tokens.emplace_back(ks::kCommaKana);
            pos += ks::kCommaKana.size();
            continue;
        }
        const std::size_t length = kana.longestMatch(rest);
        if (length == 0)
            return cannotMake(where + "読みの" + showChar(rest) +
                              "をローマ字表のかなに分けられません");
        tokens.emplace_back(rest.substr(0, length));
        pos += length;
    }
    return tokens;
}

// The first character code page 932 cannot hold, or nothing.
std::optional<std::string> firstUnencodable(std::string_view text)
{
    if (ks::encodeCp932(text))
        return std::nullopt;
    while (!text.empty()) {
        const std::size_t bytes = ks::firstUtf8Char(text).bytes;
        if (!ks::encodeCp932(text.substr(0, bytes)))
            return showChar(text);
        text.remove_prefix(bytes);
    }
    return std::nullopt;
}

// Text that goes into the file as one item: the reader has no escape for a
// double quote or a line break, and Shift_JIS must hold every character.
Result<void> requireWritable(std::string_view text, const std::string &what)
{
    if (text.find('"') != std::string_view::npos)
        return cannotMake(what + "に「\"」は書けません");
    if (text.find_first_of("\r\n") != std::string_view::npos)
        return cannotMake(what + "に改行は書けません");
    if (const std::optional<std::string> bad = firstUnencodable(text))
        return cannotMake(what + "の" + *bad + "は Shift_JIS で書けません");
    return {};
}

// The item as the reader gives it back: an empty item must be spelled "" (a
// comma before a line end starts none), quotes keep commas inside and blanks
// at the ends, which the reader would otherwise trim.
std::string fileItem(std::string_view value)
{
    const bool quote = value.empty() || value.find(',') != std::string_view::npos ||
                       isItemBlank(value.front()) || isItemBlank(value.back());
    return quote ? "\"" + std::string(value) + "\"" : std::string(value);
}

Result<void> checkDisplayText(const std::string &display, const TableKana &kana,
                              const std::string &where)
{
    if (Result<void> writable = requireWritable(display, where + "表示"); !writable)
        return writable;
    if (display == ks::kProblemStart)
        return cannotMake(where + "表示が「@」だと問題の始まりと読まれます");
    // The game builds the romaji line from every item after "@", the display
    // text included, so a display text that is itself a kana would be typed.
    if (kana.isTyped(display))
        return cannotMake(where + "表示の「" + display +
                          "」はかなとして打つ文字に入ってしまいます");
    return {};
}

Result<SourceProblem> readProblem(const CommandLine &line, const TableKana &kana,
                                  const std::string &text, std::size_t lineNumber)
{
    const std::string where = lineLabel(line.file, lineNumber);
    SourceProblem problem{lineNumber, {}, {}};
    std::string_view reading = text;
    const std::size_t tab = text.find('\t');
    if (tab != std::string::npos) {
        problem.display = text.substr(0, tab);
        reading = std::string_view(text).substr(tab + 1);
    } else if (line.kind == FileKind::Practice) {
        return cannotMake(where + "「表示<TAB>読み」のタブがありません");
    }
    if (line.kind == FileKind::Practice) {
        if (Result<void> display = checkDisplayText(problem.display, kana, where); !display)
            return display.error();
    }
    Result<std::vector<std::string>> tokens = tokenizeReading(reading, kana, where);
    if (!tokens)
        return tokens.error();
    if (tokens->empty())
        return cannotMake(where + "読みがありません");
    problem.tokens = std::move(*tokens);
    return problem;
}

Result<std::vector<SourceProblem>> readProblems(const CommandLine &line, const TableKana &kana)
{
    if (!line.file.empty() && line.file == line.output)
        return cannotMake("入力と出力が同じファイルです：" + line.file);
    Result<std::vector<std::string>> lines = readSheetLines(line.file);
    if (!lines)
        return lines.error();
    std::vector<SourceProblem> problems;
    for (std::size_t i = 0; i < lines->size(); ++i) {
        const std::string &text = (*lines)[i];
        if (!ks::isValidUtf8(text))
            return cannotMake(lineLabel(line.file, i + 1) + "UTF-8 として読めません");
        if (isSkippedLine(text))
            continue;
        Result<SourceProblem> problem = readProblem(line, kana, text, i + 1);
        if (!problem)
            return problem.error();
        problems.push_back(std::move(*problem));
    }
    if (problems.empty())
        return cannotMake(line.file + "：問題が一つもありません");
    return problems;
}

// Digits with at most one decimal point: what the header's number items hold.
bool isPlainNumber(std::string_view text)
{
    std::size_t digits = 0;
    bool point = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            ++digits;
        } else if (text[i] == '.' && !point && digits > 0 && i + 1 < text.size()) {
            point = true;
        } else {
            return false;
        }
    }
    return digits > 0;
}

Result<std::string> numberOption(const std::optional<std::string> &given, const char *fallback,
                                 const std::string &name, double least, double most)
{
    const std::string value = given.value_or(fallback);
    const double number = ks::numberValue(value);
    if (!isPlainNumber(value) || number < least || number > most)
        return cannotMake(name + " の値「" + value + "」は数ではないか範囲の外です");
    return value;
}

// The shipped folder unless the author names another; "standard",
// "standard/" and "standard\" are one folder, written as the game's files
// write it. An empty folder, asked for, is practice\ itself.
Result<std::string> assetFolderOption(const std::optional<std::string> &given)
{
    std::string folder = given.value_or(std::string(ks::kStandardAssetFolder));
    if (folder.empty())
        return folder;
    std::replace(folder.begin(), folder.end(), '/', '\\');
    if (!folder.ends_with('\\'))
        folder += '\\';
    if (Result<void> safe = ks::checkAssetFolderItem(folder); !safe)
        return cannotMake("--assets の値「" + *given + "」：" + safe.error().message());
    return folder;
}

// The 14 header items: each value at its place, after a label of its own.
Result<std::vector<std::string>> practiceHeaderItems(const HeaderOptions &options,
                                                     std::size_t problemCount)
{
    constexpr double kNoLimit = std::numeric_limits<double>::max();
    Result<std::string> assets = assetFolderOption(options.assets);
    if (!assets)
        return assets.error();
    const std::string count = options.count.value_or(std::to_string(problemCount));
    if (count.find('.') != std::string::npos)
        return cannotMake("--count の値「" + count + "」は整数でなければなりません");
    struct Value
    {
        std::size_t item;
        const char *label;
        Result<std::string> value;
    };
    const Value values[] = {
        {ks::kTitleItem, "タイトル", options.title.value_or("")},
        {ks::kLevelItem, "レベル", numberOption(options.level, "0", "--level", 0, 10)},
        {ks::kProblemCountItem, "問題数",
         numberOption(count, "", "--count", 1, static_cast<double>(problemCount))},
        {ks::kTimeLimitItem, "制限時間", numberOption(options.time, "", "--time", 0, kNoLimit)},
        {ks::kAssetFolderItem, "素材フォルダ", assets},
        {ks::kFontSizeItem, "文字サイズ", numberOption(options.font, "20", "--font", 0, kNoLimit)},
        {ks::kAuthorItem, "作者", options.author.value_or("")},
    };
    std::vector<std::string> header(ks::kPracticeBodyStart);
    for (const Value &v : values) {
        if (!v.value)
            return v.value.error();
        if (Result<void> writable = requireWritable(*v.value, std::string("見出しの") + v.label);
            !writable)
            return writable.error();
        header[v.item - 1] = v.label;
        header[v.item] = *v.value;
    }
    if (ks::numberValue(header[ks::kTimeLimitItem]) == 0.0 ||
        ks::numberValue(header[ks::kFontSizeItem]) == 0.0)
        return cannotMake("--time と --font は 0 より大きくなければなりません");
    return header;
}

// The file as lines and as the items the game will read from them, with the
// input line each problem came from.
struct MadeFile
{
    std::vector<std::string> lines;
    std::vector<std::string> items;
    struct Problem
    {
        std::size_t sourceLine;
        std::size_t itemsSoFar; // items of the file up to this problem's last
    };
    std::vector<Problem> problems;

    void addLine(const std::vector<std::string> &lineItems)
    {
        std::string text;
        for (std::size_t i = 0; i < lineItems.size(); ++i)
            text += (i == 0 ? "" : ",") + fileItem(lineItems[i]);
        lines.push_back(std::move(text));
        items.insert(items.end(), lineItems.begin(), lineItems.end());
    }
};

Result<MadeFile> buildFile(const CommandLine &line, const std::vector<SourceProblem> &problems)
{
    MadeFile file;
    if (line.kind == FileKind::Practice) {
        Result<std::vector<std::string>> header = practiceHeaderItems(line.header, problems.size());
        if (!header)
            return header.error();
        for (std::size_t i = 0; i < header->size(); i += 2)
            file.addLine({(*header)[i], (*header)[i + 1]});
    }
    for (const SourceProblem &problem : problems) {
        std::vector<std::string> items{std::string(ks::kProblemStart)};
        if (line.kind == FileKind::Practice)
            items.push_back(problem.display);
        items.insert(items.end(), problem.tokens.begin(), problem.tokens.end());
        file.addLine(items);
        file.problems.push_back({problem.lineNumber, file.items.size()});
    }
    if (line.kind == FileKind::Practice)
        file.addLine({std::string(ks::kProblemStart), std::string(ks::kEndSentinel)});
    return file;
}

// The input line from which the file no longer fits: the first problem past
// the capacity, or the last one when only the end marker is past it.
std::size_t firstLineThatDoesNotFit(const MadeFile &file, std::size_t itemCapacity,
                                    std::size_t problemCapacity)
{
    for (std::size_t k = 0; k < file.problems.size(); ++k) {
        if (file.problems[k].itemsSoFar > itemCapacity || k >= problemCapacity)
            return file.problems[k].sourceLine;
    }
    return file.problems.back().sourceLine;
}

Result<void> checkCapacity(const MadeFile &file, const CommandLine &line)
{
    const FileLayout layout = layoutOf(line.kind);
    const std::size_t problems = static_cast<std::size_t>(
        std::count(file.items.begin(), file.items.end(), ks::kProblemStart));
    const bool tooManyItems = file.items.size() > layout.itemCapacity;
    if (!tooManyItems && problems <= layout.lineCapacity)
        return {};
    // Room for the end marker, which is counted as a problem.
    const std::size_t markers = line.kind == FileKind::Practice ? 1 : 0;
    const std::size_t at = firstLineThatDoesNotFit(
        file, tooManyItems ? layout.itemCapacity : std::numeric_limits<std::size_t>::max(),
        tooManyItems ? std::numeric_limits<std::size_t>::max() : layout.lineCapacity - markers);
    const std::string advice = "。" + lineLabel(line.file, at) +
                               "ここから先が入りません。ファイルを二つ以上に分けて下さい";
    if (tooManyItems)
        return Error{ErrorCode::TooManyItems, std::to_string(file.items.size()) + " / " +
                                                  std::to_string(layout.itemCapacity) + " 項目" +
                                                  advice};
    return Error{ErrorCode::TooManyProblems, std::to_string(problems) + " / " +
                                                 std::to_string(layout.lineCapacity) + " 問" +
                                                 advice};
}

std::string joinLines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}

// Reads the text back with the game's reader: whatever quoting decided, the
// file must give exactly the items it was made from.
Result<void> checkReadsBack(const MadeFile &file)
{
    Result<std::vector<std::string>> items =
        ks::parseItems(joinLines(file.lines), std::numeric_limits<std::size_t>::max());
    if (!items || *items != file.items)
        return cannotMake("作ったファイルが元の項目どおりに読み戻せません（ksdtool の不具合です）");
    return {};
}

Result<std::string> encodeFile(const MadeFile &file)
{
    Result<std::string> bytes = ks::encodeCp932(joinLines(file.lines));
    if (!bytes)
        return bytes.error();
    // The game refuses a file past its size limit unread: making one would
    // only hand the player a file that cannot be played.
    if (bytes->size() > ks::kMaxTextFileBytes)
        return Error{ErrorCode::TooLarge, std::to_string(bytes->size()) + " / " +
                                              std::to_string(ks::kMaxTextFileBytes) + " バイト"};
    return bytes;
}

Result<std::string> makeFile(const CommandLine &line, const ks::RomajiTable &table)
{
    const TableKana kana(table);
    Result<std::vector<SourceProblem>> problems = readProblems(line, kana);
    if (!problems)
        return problems.error();
    Result<MadeFile> file = buildFile(line, *problems);
    if (!file)
        return file.error();
    if (Result<void> fits = checkCapacity(*file, line); !fits)
        return fits.error();
    if (Result<void> readsBack = checkReadsBack(*file); !readsBack)
        return readsBack.error();
    return encodeFile(*file);
}

} // namespace

int runMake(const CommandLine &line, const ks::RomajiTable &table, std::ostream &out,
            std::ostream &err)
{
    Result<std::string> bytes = makeFile(line, table);
    if (bytes) {
        if (Result<void> written = writeOutput(line.output, *bytes, out); !written)
            bytes = written.error();
    }
    if (!bytes) {
        err << "ksdtool: " << bytes.error().message() << '\n';
        return kExitBadInput;
    }
    return kExitOk;
}

} // namespace ksd
