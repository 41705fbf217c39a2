#include "problemfile.h"

#include "items.h"
#include "textfile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
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

Result<std::vector<std::string>> ReadProblemItems(const std::string &path, std::size_t capacity)
{
    Result<std::string> text = readTextFile(path);
    if (!text)
        return text.error();
    Result<std::vector<std::string>> items = parseItems(*text, capacity);
    if (!items)
        return Error{items.error().code, path + "：" + items.error().detail};
    return items;
}

PracticeHeader practiceHeader(const std::vector<std::string> &items)
{
    const auto item = [&](std::size_t i) { return i < items.size() ? items[i] : std::string(); };
    return {item(1), item(3), item(5), item(7), item(9), item(11), item(13)};
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
    problems.displayTexts = ProblemDisplayTexts(items, kPracticeBodyStart, kPracticeLineCapacity);
    return problems;
}

Result<std::vector<std::string>> loadExamPhrases(const std::string &path, const RomajiTable &table)
{
    Result<std::vector<std::string>> items = ReadProblemItems(path, kExamItemCapacity);
    if (!items)
        return items.error();
    if (Result<void> check = checkBody(*items, 0, table, kExamLineCapacity); !check)
        return Error{check.error().code, path + "：" + check.error().detail};
    return BuildRomajiLines(*items, 0, table, kExamLineCapacity).lines;
}

} // namespace ks
