#include "readingscommand.h"

#include "sheet.h"

#include "core/utf8.h"

#include <mecab.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ksd {

namespace {

using ks::Error;
using ks::ErrorCode;
using ks::Result;

// Debian's default dictionary may be another one with other fields; the
// readings here are IPADIC's (the eighth field).
constexpr const char *kIpadic = "/var/lib/mecab/dic/ipadic-utf8";
constexpr std::size_t kReadingField = 7;

bool isDigit(char32_t c)
{
    return (c >= U'0' && c <= U'9') || (c >= U'０' && c <= U'９');
}

bool isLatin(char32_t c)
{
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || (c >= U'Ａ' && c <= U'Ｚ') ||
           (c >= U'ａ' && c <= U'ｚ');
}

bool isKana(char32_t c)
{
    return (c >= 0x3041 && c <= 0x309F) || (c >= 0x30A0 && c <= 0x30FF);
}

// Punctuation and symbols: shown, and typed only when the table types them.
// A character of any other kind is a word to read.
bool isMark(char32_t c)
{
    if (c < 0x80)
        return !isDigit(c) && !isLatin(c);
    return (c >= 0xA0 && c <= 0xBF) || (c >= 0x2000 && c <= 0x2BFF) ||
           (c >= 0x3000 && c <= 0x303F && c != U'々' && c != U'〆') || c == U'・' ||
           (c >= 0xFF01 && c <= 0xFF65 && !isDigit(c) && !isLatin(c));
}

std::vector<char32_t> characters(std::string_view text)
{
    std::vector<char32_t> out;
    while (!text.empty()) {
        const ks::Utf8Char c = ks::firstUtf8Char(text);
        out.push_back(c.code);
        text.remove_prefix(c.bytes);
    }
    return out;
}

// Katakana to the table's hiragana; ヴ stays, as the table writes it.
std::string toHiragana(std::string_view text)
{
    std::string out;
    for (char32_t c : characters(text)) {
        if (c >= U'ァ' && c <= U'ン')
            out += ks::utf8Of(c - 0x60);
        else if (c == U'ヵ')
            out += "か";
        else if (c == U'ヶ')
            out += "け";
        else
            out += ks::utf8Of(c);
    }
    return out;
}

std::string digitsOf(const std::vector<char32_t> &chars)
{
    std::string out;
    for (char32_t c : chars)
        out += ks::utf8Of(c <= U'9' ? fullWidth(c) : c);
    return out;
}

// Marks the table types, in the table's own form; every other mark is
// only shown, never typed.
std::string typedMark(char32_t c)
{
    switch (c) {
    case U'、':
    case U'，':
    case U',':
    case U'､':
        return "、";
    case U'。':
    case U'．':
    case U'.':
    case U'｡':
        return "。";
    case U'!':
    case U'！':
        return "！";
    case U'?':
    case U'？':
        return "？";
    case U'/':
    case U'／':
    case U'・':
    case U'･':
        return "・";
    case U'-':
    case U'－':
    case U'‐':
    case U'−':
    case U'ー':
    case U'ｰ':
        return "ー";
    default:
        return {};
    }
}

std::string letterName(char32_t c)
{
    static constexpr const char *kNames[26] = {
        "えー",   "びー",   "しー", "でぃー", "いー",       "えふ",     "じー", "えいち", "あい",
        "じぇー", "けー",   "える", "えむ",   "えぬ",       "おー",     "ぴー", "きゅー", "あーる",
        "えす",   "てぃー", "ゆー", "ぶい",   "だぶりゅー", "えっくす", "わい", "ぜっと"};
    if (c >= U'ａ')
        c -= U'ａ' - U'a';
    else if (c >= U'Ａ')
        c -= U'Ａ' - U'A';
    if (c >= U'a')
        c -= U'a' - U'A';
    return kNames[c - U'A'];
}

std::vector<std::string> splitFields(std::string_view feature)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = feature.find(',', start);
        fields.emplace_back(feature.substr(start, comma - start));
        if (comma == std::string_view::npos)
            return fields;
        start = comma + 1;
    }
}

class Reader
{
public:
    explicit Reader(MeCab::Tagger &tagger) : m_tagger(tagger) {}

    // The reading of one line, and the words it could not read.
    std::string read(std::string_view text, std::vector<std::string> &unread)
    {
        std::string reading;
        for (const Word &word : words(text))
            reading += readWord(word, unread);
        return reading;
    }

private:
    struct Word
    {
        std::string surface;
        std::vector<std::string> fields;
    };

    // ASCII digits as full-width ones, which the dictionary knows with their
    // counters ("１月" is one word, "1月" two).
    std::vector<Word> words(std::string_view text)
    {
        std::vector<Word> out;
        std::string line;
        for (char32_t c : characters(text))
            line += ks::utf8Of(c >= U'0' && c <= U'9' ? fullWidth(c) : c);
        for (const MeCab::Node *node = m_tagger.parseToNode(line.c_str()); node;
             node = node->next) {
            if (node->stat == MECAB_BOS_NODE || node->stat == MECAB_EOS_NODE)
                continue;
            out.push_back({std::string(node->surface, node->length), splitFields(node->feature)});
        }
        return out;
    }

    static std::string dictionaryReading(const Word &word)
    {
        if (word.fields.size() <= kReadingField || word.fields[kReadingField] == "*")
            return {};
        return word.fields[kReadingField];
    }

    std::string readWord(const Word &word, std::vector<std::string> &unread)
    {
        const std::vector<char32_t> chars = characters(word.surface);
        const auto all = [&](auto test) { return std::all_of(chars.begin(), chars.end(), test); };
        if (all(isMark)) {
            std::string marks;
            for (char32_t c : chars)
                marks += typedMark(c);
            return marks;
        }
        if (std::any_of(chars.begin(), chars.end(), isDigit))
            return readWithDigits(word, chars, unread);
        if (all(isLatin)) {
            std::string names;
            for (char32_t c : chars)
                names += letterName(c);
            return names;
        }
        if (const std::string reading = dictionaryReading(word); !reading.empty())
            return toHiragana(reading);
        if (all(isKana))
            return toHiragana(word.surface);
        unread.push_back(word.surface);
        return word.surface;
    }

    // "１月" is one word read イチガツ: its digits are typed as digits, and
    // the rest takes what is left of the reading once the digits' own
    // reading is taken off its front. When that does not work out, the rest
    // is read on its own.
    std::string readWithDigits(const Word &word, const std::vector<char32_t> &chars,
                               std::vector<std::string> &unread)
    {
        const auto firstOther = std::find_if_not(chars.begin(), chars.end(), isDigit);
        if (firstOther == chars.begin() || firstOther == chars.end()) {
            std::string out;
            for (auto run = chars.begin(); run != chars.end();) {
                const bool digits = isDigit(*run);
                const auto end = std::find_if(run, chars.end(),
                                              [&](char32_t c) { return isDigit(c) != digits; });
                const std::vector<char32_t> part(run, end);
                out += digits ? digitsOf(part) : read(joined(part), unread);
                run = end;
            }
            return out;
        }
        const std::vector<char32_t> digits(chars.begin(), firstOther);
        const std::vector<char32_t> rest(firstOther, chars.end());
        const std::string whole = dictionaryReading(word);
        std::string digitsReading;
        for (const Word &part : words(joined(digits)))
            digitsReading += dictionaryReading(part);
        if (!digitsReading.empty() && whole.starts_with(digitsReading) &&
            whole.size() > digitsReading.size())
            return digitsOf(digits) + toHiragana(whole.substr(digitsReading.size()));
        return digitsOf(digits) + read(joined(rest), unread);
    }

    static std::string joined(const std::vector<char32_t> &chars)
    {
        std::string out;
        for (char32_t c : chars)
            out += ks::utf8Of(c);
        return out;
    }

    MeCab::Tagger &m_tagger;
};

Result<std::unique_ptr<MeCab::Tagger>> makeTagger()
{
    std::error_code error;
    const std::string args =
        std::filesystem::is_directory(kIpadic, error) ? std::string("-d ") + kIpadic : "";
    std::unique_ptr<MeCab::Tagger> tagger(MeCab::createTagger(args.c_str()));
    if (!tagger)
        return Error{ErrorCode::Unreadable,
                     std::string("MeCab の辞書 (mecab-ipadic-utf8)：") + MeCab::getLastError()};
    return tagger;
}

} // namespace

int runReadings(const CommandLine &line, std::ostream &out, std::ostream &err)
{
    const auto fail = [&](const Error &error) {
        err << "ksdtool: " << error.message() << '\n';
        return kExitBadInput;
    };
    Result<std::vector<std::string>> lines = readSheetLines(line.file);
    if (!lines)
        return fail(lines.error());
    Result<std::unique_ptr<MeCab::Tagger>> tagger = makeTagger();
    if (!tagger)
        return fail(tagger.error());
    Reader reader(**tagger);
    std::string sheet;
    for (std::size_t i = 0; i < lines->size(); ++i) {
        const std::string &text = (*lines)[i];
        const std::string where = line.file + ":" + std::to_string(i + 1) + " 行目：";
        if (!ks::isValidUtf8(text))
            return fail(Error{ErrorCode::Unreadable, where + "UTF-8 として読めません"});
        if (isSkippedLine(text) || text.find('\t') != std::string::npos) {
            sheet += text + '\n';
            continue;
        }
        std::vector<std::string> unread;
        sheet += text + '\t' + reader.read(text, unread) + '\n';
        for (const std::string &word : unread)
            err << "ksdtool: " << where << "「" << word
                << "」の読みが分かりません。読みの欄を直して下さい\n";
    }
    if (Result<void> written = writeOutput(line.output, sheet, out); !written)
        return fail(written.error());
    return kExitOk;
}

} // namespace ksd
