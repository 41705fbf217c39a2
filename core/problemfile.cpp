#include "problemfile.h"

#include "items.h"
#include "textfile.h"
#include "utf8.h"
#include "kanaproblem.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace ks {

namespace {

// First item from firstItem on that sits before the first "@" and would be
// typed if it belonged to a problem; items.size() when there is none.
std::size_t kanaBeforeFirstProblem(const std::vector<std::string> &items, std::size_t firstItem,
                                   const RomajiTable &table)
{
    std::unordered_set<std::string_view> kana;
    for (std::size_t pair = 0; pair < kRomajiPairs; ++pair) {
        if (!table.kana(pair).empty() && table.kana(pair) != kEmptyKana)
            kana.insert(table.kana(pair));
    }
    for (std::size_t i = firstItem; i < items.size() && items[i] != kProblemStart; ++i) {
        if (items[i] == kCommaKana || kana.contains(items[i]))
            return i;
    }
    return items.size();
}

Result<void> checkBody(const std::vector<std::string> &items, std::size_t firstItem,
                       const RomajiTable &table, std::size_t lineCapacity)
{
    if (const std::size_t at = kanaBeforeFirstProblem(items, firstItem, table); at < items.size())
        return Error{ErrorCode::KanaBeforeFirstProblem,
                     std::to_string(at) + " 番の項目「" + items[at] + "」"};
    const auto starts = std::count(items.begin() + std::min(firstItem, items.size()), items.end(),
                                   std::string(kProblemStart));
    if (static_cast<std::size_t>(starts) > lineCapacity)
        return Error{ErrorCode::TooManyProblems,
                     std::to_string(starts) + " / " + std::to_string(lineCapacity) + " 問"};
    return {};
}

} // namespace

Result<std::vector<std::string>> listProblemFiles(const std::string &folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return Error{ErrorCode::NotFound, folder};
    std::vector<std::string> names;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        std::string suffix = name.size() > 4 ? name.substr(name.size() - 4) : std::string();
        std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        std::error_code kind;
        if (suffix == ".ksd" && name.front() != '.' && it->is_regular_file(kind))
            names.push_back(std::move(name));
    }
    if (error)
        return Error{ErrorCode::Unreadable, folder};
    std::sort(names.begin(), names.end());
    return names;
}

// Code page 932 first, exactly as ever, so a file that reads as both stays
// what it was on Windows; only a file that is no code page 932 at all gets
// the second chance.
static Result<std::string> readProblemText(const std::string &path)
{
    Result<std::string> text = readTextFile(path);
    if (text || text.error().code != ErrorCode::BadEncoding)
        return text;
    Result<std::string> bytes = readRegularFile(path, kMaxTextFileBytes);
    if (!bytes || !isValidUtf8(*bytes))
        return text;
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (bytes->starts_with(kByteOrderMark))
        bytes->erase(0, kByteOrderMark.size());
    return bytes;
}

Result<std::vector<std::string>> ReadProblemItems(const std::string &path, std::size_t capacity)
{
    Result<std::string> text = readProblemText(path);
    if (!text)
        return text.error();
    Result<std::vector<std::string>> items = parseItems(*text, capacity);
    if (!items)
        return Error{items.error().code, path + "：" + items.error().detail};
    return items;
}

PracticeFileList listPracticeFiles(const AppDir &game, std::size_t capacity)
{
    std::vector<std::pair<std::string, std::string>> named; // name, full path
    for (const std::string &folder : game.practiceFolders()) {
        if (Result<std::vector<std::string>> names = listProblemFiles(folder)) {
            for (std::string &name : *names)
                named.emplace_back(name, folder + name);
        }
    }
    std::stable_sort(named.begin(), named.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    PracticeFileList list;
    for (auto &[name, path] : named) {
        if (list.paths.size() == capacity) {
            ++list.leftOut;
            continue;
        }
        if (Result<std::vector<std::string>> items = ReadProblemItems(path, kPracticeItemCapacity))
            list.paths.push_back(std::move(path));
        else
            list.skipped.push_back({std::move(path), items.error()});
    }
    return list;
}

std::string shownText(std::string_view text)
{
    std::string shown;
    shown.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F)
            shown += c;
    }
    return shown;
}

PracticeHeader practiceHeader(const std::vector<std::string> &items)
{
    const auto item = [&](std::size_t i) { return i < items.size() ? items[i] : std::string(); };
    return {item(kTitleItem),     item(kLevelItem),       item(kProblemCountItem),
            item(kTimeLimitItem), item(kAssetFolderItem), item(kFontSizeItem),
            item(kAuthorItem)};
}

std::optional<double> romajiLinePoints(const std::vector<std::string> &items)
{
    const double points = numberValue(practiceHeader(items).fontSize);
    if (points >= 1 && points <= 72)
        return points;
    return std::nullopt;
}

int levelBarWidth(double level)
{
    const double width = std::floor(level / 10.0 * 305.0);
    return static_cast<int>(std::clamp(width, -1.0e9, 1.0e9));
}

std::vector<std::string> ProblemDisplayTexts(const std::vector<std::string> &items,
                                             std::size_t firstItem, std::size_t capacity)
{
    std::vector<std::string> texts;
    for (std::size_t i = firstItem; i < items.size() && texts.size() < capacity; ++i) {
        if (items[i] == kProblemStart)
            texts.push_back(i + 1 < items.size() ? items[i + 1] : std::string());
    }
    return texts;
}

std::size_t RomajiTotal(const std::vector<std::string> &lines, std::size_t count)
{
    const std::size_t counted = count == 0 ? 0 : std::min(count - 1, lines.size());
    std::size_t total = 0;
    for (std::size_t i = 0; i < counted; ++i)
        total += utf8Length(lines[i]);
    return total;
}

Result<void> checkPracticeItems(const std::vector<std::string> &items, const RomajiTable &table)
{
    return checkBody(items, kPracticeBodyStart, table, kPracticeLineCapacity);
}

int headerWholeNumber(std::string_view item)
{
    const double whole = std::floor(numberValue(item));
    return static_cast<int>(std::clamp(whole, -1.0e9, 1.0e9));
}

bool timeLimitIsUnplayable(const std::vector<std::string> &items)
{
    return headerWholeNumber(practiceHeader(items).timeLimit) < 1;
}

bool problemCountIsUnplayable(const std::vector<std::string> &items)
{
    return headerWholeNumber(practiceHeader(items).problems) < 0;
}

Result<PracticeProblems> preparePracticeProblems(const std::vector<std::string> &items,
                                                 const RomajiTable &table)
{
    if (Result<void> check = checkPracticeItems(items, table); !check)
        return check.error();
    const PracticeHeader header = practiceHeader(items);
    if (timeLimitIsUnplayable(items))
        return Error{ErrorCode::UnplayableTimeLimit, "「" + header.timeLimit + "」"};
    if (problemCountIsUnplayable(items))
        return Error{ErrorCode::UnplayableProblemCount, "「" + header.problems + "」"};
    RomajiLines built = BuildRomajiLines(items, kPracticeBodyStart, table, kPracticeLineCapacity);
    PracticeProblems problems;
    problems.problemsToPlay = headerWholeNumber(header.problems);
    problems.timeLimit = headerWholeNumber(header.timeLimit);
    problems.romajiTotal = RomajiTotal(built.lines, built.lineCount());
    problems.romajiLines = std::move(built.lines);
    problems.kanaProblems =
        BuildKanaProblems(items, kPracticeBodyStart, table, kPracticeLineCapacity).problems;
    problems.displayTexts = ProblemDisplayTexts(items, kPracticeBodyStart, kPracticeLineCapacity);
    return problems;
}

Result<void> checkAssetFolderItem(std::string_view item)
{
    const std::string folder = toPosixSeparators(item);
    // "C:/..." as a Windows author might write it is as absolute as "/...".
    const bool absolute = folder.starts_with('/') || folder.find(':') != std::string::npos;
    bool climbs = false;
    for (std::size_t start = 0; start <= folder.size();) {
        const std::size_t end = std::min(folder.find('/', start), folder.size());
        climbs = climbs || folder.substr(start, end - start) == "..";
        start = end + 1;
    }
    if (absolute || climbs)
        return Error{ErrorCode::UnsafeAssetFolder, "「" + std::string(item) + "」"};
    return {};
}

namespace {

// Opened without blocking and never read: a FIFO or a device in place of a
// picture is refused at once.
Result<void> checkReadableFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Error{errno == ENOENT ? ErrorCode::NotFound : ErrorCode::Unreadable, path};
    struct stat st
    {
    };
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (!regular)
        return Error{ErrorCode::Unreadable, path + "（通常のファイルではありません）"};
    return {};
}

} // namespace

Result<std::string> practiceAssetFolder(std::string_view item, const std::string &filePath,
                                        const AppDir &game)
{
    if (Result<void> safe = checkAssetFolderItem(item); !safe)
        return safe.error();
    std::string relative = toPosixSeparators(item);
    // "standard" names the folder as surely as "standard\" does.
    if (!relative.empty() && relative.back() != '/')
        relative += '/';
    const std::string own = filePath.substr(0, filePath.rfind('/') + 1) + relative;
    std::error_code error;
    if (std::filesystem::exists(own + std::string(kPracticeAssetFiles[0]), error))
        return own;
    return game.path("practice/" + relative);
}

Result<PlayablePractice> confirmPracticeFile(const std::vector<std::string> &items,
                                             const RomajiTable &table, const std::string &filePath,
                                             const AppDir &game)
{
    Result<PracticeProblems> problems = preparePracticeProblems(items, table);
    if (!problems)
        return problems.error();
    Result<std::string> folder =
        practiceAssetFolder(practiceHeader(items).assetFolder, filePath, game);
    if (!folder)
        return folder.error();
    for (std::string_view name : kPracticeAssetFiles) {
        if (Result<void> readable = checkReadableFile(*folder + std::string(name)); !readable)
            return readable.error();
    }
    return PlayablePractice{std::move(*problems), std::move(*folder)};
}

namespace {

// An exam file's items, read and checked like a practice body from item 0.
Result<std::vector<std::string>> examItems(const std::string &path, const RomajiTable &table)
{
    Result<std::vector<std::string>> items = ReadProblemItems(path, kExamItemCapacity);
    if (!items)
        return items.error();
    if (Result<void> check = checkBody(*items, 0, table, kExamLineCapacity); !check)
        return Error{check.error().code, path + "：" + check.error().detail};
    return items;
}

} // namespace

Result<std::vector<std::string>> loadExamPhrases(const std::string &path, const RomajiTable &table)
{
    Result<std::vector<std::string>> items = examItems(path, table);
    if (!items)
        return items.error();
    return BuildRomajiLines(*items, 0, table, kExamLineCapacity).lines;
}

Result<std::vector<KanaProblem>> loadExamProblems(const std::string &path, const RomajiTable &table)
{
    Result<std::vector<std::string>> items = examItems(path, table);
    if (!items)
        return items.error();
    return BuildKanaProblems(*items, 0, table, kExamLineCapacity).problems;
}

} // namespace ks
