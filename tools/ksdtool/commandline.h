#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ksd {

enum class FileKind
{
    Practice,
    Exam
};

// Exit statuses: scripts tell a broken problem file from a mistyped command.
inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 1;
inline constexpr int kExitUsage = 2;

// Header items of a practice file as given on the command line; unset ones
// take the defaults of the make command.
struct HeaderOptions
{
    std::optional<std::string> title;
    std::optional<std::string> level;
    std::optional<std::string> count;
    std::optional<std::string> time;
    std::optional<std::string> assets;
    std::optional<std::string> font;
    std::optional<std::string> author;

    bool any() const { return title || level || count || time || assets || font || author; }
};

struct CommandLine
{
    std::string command; // "lines", "check" or "make"
    std::string tablePath;
    FileKind kind = FileKind::Practice;
    std::string file;
    std::optional<std::string> output;
    HeaderOptions header;
    bool help = false;
};

struct ParsedCommandLine
{
    CommandLine commandLine;
    std::string error; // empty when the command line is usable
};

inline const char *usageText()
{
    return "使い方 / Usage:\n"
           "  ksdtool lines --table ROUMAZI [--exam|--practice] FILE\n"
           "  ksdtool check --table ROUMAZI [--exam|--practice] FILE\n"
           "  ksdtool make  --table ROUMAZI [--exam|--practice] [見出し / header] INPUT [-o "
           "OUTPUT]\n"
           "  ksdtool --help\n"
           "\n"
           "  lines  問題ごとに「番号<TAB>表示<TAB>ローマ字」を UTF-8 で出します\n"
           "         print index, display text and romaji of each problem (UTF-8)\n"
           "  check  ゲームが受け付けない所 (error) と怪しい所 (warning) を挙げます\n"
           "         list what the game rejects (error) and what looks wrong (warning)\n"
           "  make   「表示<TAB>読み」の UTF-8 の行から問題ファイル (CP932, CRLF) を作ります\n"
           "         build a problem file from UTF-8 lines of \"display<TAB>reading\"\n"
           "         (--exam: a line may be just the reading; '#' lines and blank lines are "
           "skipped)\n"
           "\n"
           "  --table PATH   ローマ字表 roumazi.dat / the romaji table (required)\n"
           "  --practice     練習ファイル (既定) / practice file (default)\n"
           "  --exam         試験ファイル / exam file\n"
           "  -o PATH        make の出力先 (既定は標準出力) / make's output (default: stdout)\n"
           "\n"
           "  見出し / header (make --practice):\n"
           "  --time SECONDS   制限時間 (必須) / time limit (required)\n"
           "  --title TEXT     タイトル / title (default: empty)\n"
           "  --level 0-10     レベル / level (default: 0)\n"
           "  --count N        出題数 / problems to play (default: all)\n"
           "  --assets DIR\\    素材フォルダ / asset folder under practice\\ (default: empty)\n"
           "  --font POINTS    ローマ字の文字サイズ / romaji font size (default: 20)\n"
           "  --author TEXT    作者 / author (default: empty)\n"
           "\n"
           "終了コード / exit status: 0 正常 ok, 1 ファイルの誤り bad file, 2 使い方の誤り usage\n";
}

namespace detail {

inline std::optional<std::string> *headerOption(HeaderOptions &header, std::string_view name)
{
    if (name == "--title")
        return &header.title;
    if (name == "--level")
        return &header.level;
    if (name == "--count")
        return &header.count;
    if (name == "--time")
        return &header.time;
    if (name == "--assets")
        return &header.assets;
    if (name == "--font")
        return &header.font;
    if (name == "--author")
        return &header.author;
    return nullptr;
}

// The whole-command checks, once every argument is known.
inline std::string validate(const CommandLine &line, bool kindGivenTwice)
{
    if (kindGivenTwice)
        return "--exam と --practice は一緒に使えません / --exam and --practice exclude each other";
    if (line.tablePath.empty())
        return "--table がありません / --table is required";
    if (line.file.empty())
        return "ファイルの指定がありません / no input file";
    if (line.command != "make" && (line.output || line.header.any()))
        return "-o と見出しの指定は make だけのものです / -o and header options are for make only";
    if (line.kind == FileKind::Exam && line.header.any())
        return "試験ファイルに見出しはありません / exam files have no header options";
    if (line.command == "make" && line.kind == FileKind::Practice && !line.header.time)
        return "--time がありません (制限時間 0 の練習ファイルはゲームが読み込みません) / "
               "--time is required: the game rejects a practice file with no time limit";
    return {};
}

} // namespace detail

// Options may come before or after the file, as "--opt value" or "--opt=value";
// "--" ends the options so a file may start with "-".
inline ParsedCommandLine parseCommandLine(const std::vector<std::string> &args)
{
    ParsedCommandLine parsed;
    CommandLine &line = parsed.commandLine;
    const auto fail = [&](std::string why) {
        parsed.error = std::move(why);
        return parsed;
    };
    for (const std::string &arg : args) {
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            return parsed;
        }
    }
    if (args.empty())
        return fail("コマンドがありません / no command");
    line.command = args[0];
    if (line.command != "lines" && line.command != "check" && line.command != "make")
        return fail("知らないコマンドです / unknown command: " + line.command);

    bool kindGiven = false;
    bool kindGivenTwice = false;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            if (!line.file.empty())
                return fail("ファイルは一つだけです / only one file may be given: " + arg);
            line.file = arg;
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--exam" || arg == "--practice") {
            const FileKind kind = arg == "--exam" ? FileKind::Exam : FileKind::Practice;
            kindGivenTwice = kindGivenTwice || (kindGiven && kind != line.kind);
            kindGiven = true;
            line.kind = kind;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        std::optional<std::string> *target = detail::headerOption(line.header, name);
        std::optional<std::string> tablePath;
        if (name == "--table")
            target = &tablePath;
        else if (name == "-o" || name == "--output")
            target = &line.output;
        if (!target)
            return fail("知らないオプションです / unknown option: " + arg);
        if (equals != std::string::npos) {
            *target = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            *target = args[++i];
        } else {
            return fail(name + " の値がありません / " + name + " needs a value");
        }
        if (tablePath) {
            if (tablePath->empty())
                return fail("--table の値が空です / --table is empty");
            line.tablePath = *tablePath;
        }
    }
    if (line.output && line.output->empty())
        return fail("-o の値が空です / -o is empty");
    parsed.error = detail::validate(line, kindGivenTwice);
    return parsed;
}

} // namespace ksd
