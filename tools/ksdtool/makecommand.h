#pragma once

#include "commandline.h"
#include "problems.h"

#include "core/items.h"
#include "core/problemfile.h"
#include "core/result.h"
#include "core/romajitable.h"
#include "core/textfile.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace ksd {

// One problem as the author wrote it in the input.
struct SourceProblem
{
    std::size_t lineNumber = 0;
    std::string display;
    std::vector<std::string> tokens;
};

// Thrown inside make only, to unwind to the one place that prints and exits;
// nothing is written once one is raised.
struct MakeFailure
{
    std::string message;
};

namespace detail {

inline bool isItemBlank(char c)
{
    return c == ' ' || c == '\t';
}

inline std::string utf8(char32_t code)
{
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

inline std::string codePoint(char32_t code)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(code));
    return buffer;
}

// A character as an author can find it again: itself and its code point,
// since blanks and control characters are invisible in a message.
inline std::string showChar(std::string_view text)
{
    const ks::Utf8Char c = ks::firstUtf8Char(text);
    return "「" + std::string(text.substr(0, c.bytes)) + "」(" + codePoint(c.code) + ")";
}

inline bool isValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        const ks::Utf8Char c = ks::firstUtf8Char(text);
        if (c.code == 0xFFFD && c.bytes == 1)
            return false;
        text.remove_prefix(c.bytes);
    }
    return true;
}

// The table spells kana in hiragana, so katakana readings are folded onto it.
// ヴ has no hiragana in Shift_JIS and the table keeps it as katakana; small ヵ
// and ヶ have no hiragana partner in use. Every character keeps its UTF-8
// length, so a byte offset in the result is one in the reading too.
inline std::string foldToTableKana(std::string_view reading)
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
            out += utf8(c.code - 0x60);
        else if (c.code == kHiraganaVu)
            out += utf8(kKatakanaVu);
        else
            out += reading.substr(0, c.bytes);
        reading.remove_prefix(c.bytes);
    }
    return out;
}

inline bool isReadingBlank(char32_t code)
{
    return code == U' ' || code == U'\u3000';
}

inline std::string lineLabel(const std::string &input, std::size_t lineNumber)
{
    return input + ":" + std::to_string(lineNumber) + " 行目：";
}

// Splits a reading into the table's kana, the longest first.
inline std::vector<std::string> tokenizeReading(std::string_view reading, const TableKana &kana,
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
            throw MakeFailure{where + "読みの" + showChar(reading.substr(pos)) +
                              "をローマ字表のかなに分けられません"};
        tokens.emplace_back(rest.substr(0, length));
        pos += length;
    }
    return tokens;
}

// The first character code page 932 cannot hold, or nothing.
inline std::optional<std::string> firstUnencodable(std::string_view text)
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
inline void requireWritable(std::string_view text, const std::string &what)
{
    if (text.find('"') != std::string_view::npos)
        throw MakeFailure{what + "に「\"」は書けません"};
    if (text.find_first_of("\r\n") != std::string_view::npos)
        throw MakeFailure{what + "に改行は書けません"};
    if (const std::optional<std::string> bad = firstUnencodable(text))
        throw MakeFailure{what + "の" + *bad + "は Shift_JIS で書けません"};
}

// The item as the reader gives it back: an empty item must be spelled "" (a
// comma before a line end starts none), quotes keep commas inside and blanks
// at the ends, which the reader would otherwise trim.
inline std::string fileItem(std::string_view value)
{
    const bool quote = value.empty() || value.find(',') != std::string_view::npos ||
                       isItemBlank(value.front()) || isItemBlank(value.back());
    return quote ? "\"" + std::string(value) + "\"" : std::string(value);
}

inline std::string readInput(const std::string &path)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        throw MakeFailure{"入力を読めません：" + path};
    // The biggest exam file the game takes is a few kilobytes of kana; a
    // larger input is not a list of problems.
    if (std::filesystem::file_size(path, error) > ks::kMaxTextFileBytes || error)
        throw MakeFailure{"入力が大きすぎます：" + path};
    std::ifstream in(path, std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        throw MakeFailure{"入力を読めません：" + path};
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark))
        text.erase(0, kByteOrderMark.size());
    return text;
}

inline bool isSkippedLine(std::string_view line)
{
    if (line.starts_with('#'))
        return true;
    while (!line.empty()) {
        const ks::Utf8Char c = ks::firstUtf8Char(line);
        if (c.code != U'\t' && !isReadingBlank(c.code))
            return false;
        line.remove_prefix(c.bytes);
    }
    return true;
}

inline void checkDisplayText(const std::string &display, const TableKana &kana,
                             const std::string &where)
{
    requireWritable(display, where + "表示");
    if (display == ks::kProblemStart)
        throw MakeFailure{where + "表示が「@」だと問題の始まりと読まれます"};
    // The game builds the romaji line from every item after "@", the display
    // text included, so a display text that is itself a kana would be typed.
    if (kana.isTyped(display))
        throw MakeFailure{where + "表示の「" + display +
                          "」はかなとして打つ文字に入ってしまいます"};
}

inline std::vector<SourceProblem> readProblems(const CommandLine &line, const TableKana &kana)
{
    if (!line.file.empty() && line.file == line.output)
        throw MakeFailure{"入力と出力が同じファイルです：" + line.file};
    const std::vector<std::string> lines = ks::splitLines(readInput(line.file));
    std::vector<SourceProblem> problems;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string &text = lines[i];
        const std::string where = lineLabel(line.file, i + 1);
        if (!isValidUtf8(text))
            throw MakeFailure{where + "UTF-8 として読めません"};
        if (isSkippedLine(text))
            continue;
        SourceProblem problem{i + 1, {}, {}};
        std::string_view reading = text;
        const std::size_t tab = text.find('\t');
        if (tab != std::string::npos) {
            problem.display = text.substr(0, tab);
            reading = std::string_view(text).substr(tab + 1);
        } else if (line.kind == FileKind::Practice) {
            throw MakeFailure{where + "「表示<TAB>読み」のタブがありません"};
        }
        if (line.kind == FileKind::Practice)
            checkDisplayText(problem.display, kana, where);
        problem.tokens = tokenizeReading(reading, kana, where);
        if (problem.tokens.empty())
            throw MakeFailure{where + "読みがありません"};
        problems.push_back(std::move(problem));
    }
    if (problems.empty())
        throw MakeFailure{line.file + "：問題が一つもありません"};
    return problems;
}

// Digits with at most one decimal point: what the header's number items hold.
inline bool isPlainNumber(std::string_view text)
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

inline std::string numberOption(const std::optional<std::string> &given, const char *fallback,
                                const std::string &name, double least, double most)
{
    const std::string value = given.value_or(fallback);
    const double number = ks::numberValue(value);
    if (!isPlainNumber(value) || number < least || number > most)
        throw MakeFailure{name + " の値「" + value + "」は数ではないか範囲の外です"};
    return value;
}

struct HeaderItem
{
    const char *label;
    std::string value;
};

inline std::vector<HeaderItem> practiceHeaderItems(const HeaderOptions &options,
                                                   std::size_t problemCount)
{
    constexpr double kNoLimit = std::numeric_limits<double>::max();
    const std::string assets = options.assets.value_or("");
    if (!assets.empty() && !assets.ends_with('\\'))
        throw MakeFailure{"--assets の値「" + assets + "」は「\\」で終わらなければなりません"};
    const std::string count = options.count.value_or(std::to_string(problemCount));
    if (count.find('.') != std::string::npos)
        throw MakeFailure{"--count の値「" + count + "」は整数でなければなりません"};
    std::vector<HeaderItem> header{
        {"タイトル", options.title.value_or("")},
        {"レベル", numberOption(options.level, "0", "--level", 0, 10)},
        {"問題数", numberOption(count, "", "--count", 1, static_cast<double>(problemCount))},
        {"制限時間", numberOption(options.time, "", "--time", 0, kNoLimit)},
        {"素材フォルダ", assets},
        {"文字サイズ", numberOption(options.font, "20", "--font", 0, kNoLimit)},
        {"作者", options.author.value_or("")},
    };
    if (ks::numberValue(header[3].value) == 0.0 || ks::numberValue(header[5].value) == 0.0)
        throw MakeFailure{"--time と --font は 0 より大きくなければなりません"};
    for (const HeaderItem &item : header)
        requireWritable(item.value, std::string("見出しの") + item.label);
    return header;
}

// The file as lines and as the items the game will read from them.
struct MadeFile
{
    std::vector<std::string> lines;
    std::vector<std::string> items;

    void addLine(const std::vector<std::string> &lineItems)
    {
        std::string text;
        for (std::size_t i = 0; i < lineItems.size(); ++i)
            text += (i == 0 ? "" : ",") + fileItem(lineItems[i]);
        lines.push_back(std::move(text));
        items.insert(items.end(), lineItems.begin(), lineItems.end());
    }
};

inline MadeFile buildFile(const CommandLine &line, const std::vector<SourceProblem> &problems)
{
    MadeFile file;
    if (line.kind == FileKind::Practice) {
        for (const HeaderItem &item : practiceHeaderItems(line.header, problems.size()))
            file.addLine({item.label, item.value});
    }
    for (const SourceProblem &problem : problems) {
        std::vector<std::string> items{std::string(ks::kProblemStart)};
        if (line.kind == FileKind::Practice)
            items.push_back(problem.display);
        items.insert(items.end(), problem.tokens.begin(), problem.tokens.end());
        file.addLine(items);
    }
    if (line.kind == FileKind::Practice)
        file.addLine({std::string(ks::kProblemStart), std::string(ks::kEndSentinel)});
    return file;
}

inline void checkCapacity(const MadeFile &file, FileKind kind)
{
    const FileLayout layout = layoutOf(kind);
    const std::size_t problems = static_cast<std::size_t>(
        std::count(file.items.begin(), file.items.end(), ks::kProblemStart));
    if (file.items.size() > layout.itemCapacity)
        throw MakeFailure{ks::Error{ks::ErrorCode::TooManyItems,
                                    std::to_string(file.items.size()) + " / " +
                                        std::to_string(layout.itemCapacity) + " 項目"}
                              .message()};
    if (problems > layout.lineCapacity)
        throw MakeFailure{ks::Error{ks::ErrorCode::TooManyProblems,
                                    std::to_string(problems) + " / " +
                                        std::to_string(layout.lineCapacity) + " 問"}
                              .message()};
}

inline std::string joinLines(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += line + "\r\n";
    return text;
}

// Reads the text back with the game's reader: whatever quoting decided, the
// file must give exactly the items it was made from.
inline void checkReadsBack(const MadeFile &file)
{
    ks::Result<std::vector<std::string>> items =
        ks::parseItems(joinLines(file.lines), std::numeric_limits<std::size_t>::max());
    if (!items || *items != file.items)
        throw MakeFailure{"作ったファイルが元の項目どおりに読み戻せません（ksdtool の不具合です）"};
}

inline void writeFile(const CommandLine &line, const MadeFile &file, std::ostream &out)
{
    ks::Result<std::string> bytes = ks::encodeCp932(joinLines(file.lines));
    if (!bytes)
        throw MakeFailure{bytes.error().message()};
    // The game refuses a file past its size limit unread: making one would
    // only hand the player a file that cannot be played.
    if (bytes->size() > ks::kMaxTextFileBytes)
        throw MakeFailure{ks::Error{ks::ErrorCode::TooLarge,
                                    std::to_string(bytes->size()) + " / " +
                                        std::to_string(ks::kMaxTextFileBytes) + " バイト"}
                              .message()};
    if (line.output) {
        if (ks::Result<void> written = ks::writeFileAtomic(*line.output, *bytes); !written)
            throw MakeFailure{written.error().message()};
        return;
    }
    out.write(bytes->data(), static_cast<std::streamsize>(bytes->size()));
    out.flush();
    if (!out)
        throw MakeFailure{"標準出力に書けません"};
}

} // namespace detail

// Turns "display<TAB>reading" lines into a problem file; on any fault nothing
// is written, so a half-made file never replaces a good one.
inline int runMake(const CommandLine &line, const ks::RomajiTable &table, std::ostream &out,
                   std::ostream &err)
{
    try {
        const TableKana kana(table);
        const std::vector<SourceProblem> problems = detail::readProblems(line, kana);
        const detail::MadeFile file = detail::buildFile(line, problems);
        detail::checkCapacity(file, line.kind);
        detail::checkReadsBack(file);
        detail::writeFile(line, file, out);
    } catch (const MakeFailure &failure) {
        err << "ksdtool: " << failure.message << '\n';
        return kExitBadInput;
    }
    return kExitOk;
}

} // namespace ksd
