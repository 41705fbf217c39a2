#include "commandline.h"

#include <string_view>

namespace ksd {

namespace {

std::optional<std::string> *headerOption(HeaderOptions &header, std::string_view name)
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

bool isCommand(std::string_view name)
{
    return name == "lines" || name == "check" || name == "make" || name == "readings";
}

// The whole-command checks, once every argument is known.
std::string validate(const CommandLine &line, bool kindGivenTwice)
{
    if (kindGivenTwice)
        return "--exam と --practice は一緒に使えません / --exam and --practice exclude each other";
    if (line.file.empty())
        return "ファイルの指定がありません / no input file";
    const bool writes = line.command == "make" || line.command == "readings";
    if (!writes && line.output)
        return "-o は make と readings だけのものです / -o is for make and readings only";
    if (line.command != "make" && line.header.any())
        return "見出しの指定は make だけのものです / header options are for make only";
    if (line.command != "check" && !line.gamePath.empty())
        return "--game は check だけのものです / --game is for check only";
    if (line.kind == FileKind::Exam && line.header.any())
        return "試験ファイルに見出しはありません / exam files have no header options";
    if (line.command == "make" && line.kind == FileKind::Practice && !line.header.time)
        return "--time がありません (制限時間 0 の練習ファイルはゲームが読み込みません) / "
               "--time is required: the game rejects a practice file with no time limit";
    return {};
}

} // namespace

const char *usageText()
{
    return "使い方 / Usage:\n"
           "  ksdtool readings INPUT [-o SHEET]\n"
           "  ksdtool make  [--table ROUMAZI] [--exam|--practice] [見出し / header] SHEET "
           "[-o OUTPUT]\n"
           "  ksdtool check [--table ROUMAZI] [--game GAMEDIR] [--exam|--practice] FILE\n"
           "  ksdtool lines [--table ROUMAZI] [--exam|--practice] FILE\n"
           "  ksdtool --help\n"
           "\n"
           "  readings 日本語の行 (UTF-8) に MeCab で読みを付け、「表示<TAB>読み」の表にします\n"
           "           add readings to plain Japanese lines (MeCab): a \"display<TAB>reading\" "
           "sheet\n"
           "  make     「表示<TAB>読み」の UTF-8 の行から問題ファイル (CP932, CRLF) を作ります\n"
           "           build a problem file from UTF-8 lines of \"display<TAB>reading\"\n"
           "           (--exam: a line may be just the reading; '#' lines and blank lines are "
           "skipped)\n"
           "  check    ゲームが受け付けない所 (error) と怪しい所 (warning) を挙げます\n"
           "           list what the game rejects (error) and what looks wrong (warning)\n"
           "  lines    問題ごとに「番号<TAB>表示<TAB>ローマ字」を UTF-8 で出します\n"
           "           print index, display text and romaji of each problem (UTF-8)\n"
           "\n"
           "  --table PATH   ローマ字表 roumazi.dat / the romaji table (default: the player's,\n"
           "                 ~/.local/share/keystorm/roumazi.dat when installed, else the one\n"
           "                 beside ksdtool)\n"
           "  --game DIR     ゲームのフォルダ / the game folder check plays the file from\n"
           "                 (default: the table's folder when --table is given, else the game\n"
           "                 ksdtool belongs to)\n"
           "  --practice     練習ファイル (既定) / practice file (default)\n"
           "  --exam         試験ファイル / exam file\n"
           "  -o PATH        出力先 (既定は標準出力) / output (default: stdout)\n"
           "\n"
           "  見出し / header (make --practice):\n"
           "  --time SECONDS   制限時間 (必須) / time limit (required)\n"
           "  --title TEXT     タイトル / title (default: empty)\n"
           "  --level 0-10     レベル / level (default: 0)\n"
           "  --count N        出題数 / problems to play (default: all)\n"
           "  --assets DIR\\    素材フォルダ / asset folder under practice\\ (default: "
           "standard\\)\n"
           "  --font POINTS    ローマ字の文字サイズ / romaji font size (default: 20)\n"
           "  --author TEXT    作者 / author (default: empty)\n"
           "\n"
           "終了コード / exit status: 0 正常 ok, 1 ファイルの誤り bad file, 2 使い方の誤り usage\n";
}

ParsedCommandLine parseCommandLine(const std::vector<std::string> &args)
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
    if (!isCommand(line.command))
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
        std::optional<std::string> *target = headerOption(line.header, name);
        std::optional<std::string> folder;
        if (name == "--table" || name == "--game")
            target = &folder;
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
        if (folder) {
            if (folder->empty())
                return fail(name + " の値が空です / " + name + " is empty");
            (name == "--table" ? line.tablePath : line.gamePath) = *folder;
        }
    }
    if (line.output && line.output->empty())
        return fail("-o の値が空です / -o is empty");
    parsed.error = validate(line, kindGivenTwice);
    return parsed;
}

} // namespace ksd
