#pragma once

#include "result.h"
#include "romajimatcher.h"
#include "romajitable.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// The readers' fixed stores.
inline constexpr std::size_t kPracticeItemCapacity = 501;
inline constexpr std::size_t kPracticeLineCapacity = 1000; // the end sentinel included
inline constexpr std::size_t kExamItemCapacity = 1000;
inline constexpr std::size_t kExamLineCapacity = 51;

// A practice file's problems start after its 14-item header, whatever the header holds.
inline constexpr std::size_t kPracticeBodyStart = 14;
inline constexpr std::string_view kEndSentinel = "end";

// The practice files of a folder: the regular files whose names end in ".ksd"
// in any case, hidden ones (".name") left out, sorted by the bytes of their
// names so the list is the same on every machine. NotFound without the folder.
Result<std::vector<std::string>> listProblemFiles(const std::string &folder);

// The items of a problem file; more than capacity items is TooManyItems.
Result<std::vector<std::string>> ReadProblemItems(const std::string &path, std::size_t capacity);

// The header items a practice screen shows or uses, as the file spells them;
// the screens read the numbers with numberValue. Missing items are empty.
struct PracticeHeader
{
    std::string title;       // item 1
    std::string level;       // item 3, 0 to 10
    std::string problems;    // item 5, how many problems are played
    std::string timeLimit;   // item 7, seconds
    std::string assetFolder; // item 9, relative to practice/, ending in "\" or empty
    std::string fontSize;    // item 11, points of the romaji line
    std::string author;      // item 13
};
PracticeHeader practiceHeader(const std::vector<std::string> &items);

// Width in pixels of the level bar: Int(level ÷ 10 × 305), the bar's full
// width at level 10.
int levelBarWidth(double level);

// For each "@" from firstItem on, the item right after it (empty when the "@"
// is the last item), at most capacity of them.
std::vector<std::string> ProblemDisplayTexts(const std::vector<std::string> &items,
                                             std::size_t firstItem, std::size_t capacity);

// The characters the player types for the whole file: every line but the last
// one built, which is normally the "@", "end" sentinel.
std::size_t RomajiTotal(const std::vector<std::string> &lines, std::size_t count);

// The practice check: no "、" and no table kana before the first "@" of the
// body (they would belong to no problem, a sign of a broken file), and at most
// kPracticeLineCapacity problems.
Result<void> checkPracticeItems(const std::vector<std::string> &items, const RomajiTable &table);

// The whole part of a header number. A run counts its problems and seconds
// down by one and stops when a counter reaches exactly 1, so a count of 2.5
// plays 2 problems and a limit of 90.7 gives 90 seconds, rather than never
// reaching 1.
int headerWholeNumber(std::string_view item);

// A time limit under one whole second leaves the run no time (and one that
// reads as 0 would divide the pace by 0): such a file cannot be played.
bool timeLimitIsUnplayable(const std::vector<std::string> &items);

// A negative number of problems would count down forever. (0 is a file that
// plays nothing: its target never rises, and only Esc leaves.)
bool problemCountIsUnplayable(const std::vector<std::string> &items);

struct PracticeProblems
{
    std::vector<std::string> romajiLines;
    std::vector<std::string> displayTexts;
    std::size_t romajiTotal = 0;
    int problemsToPlay = 0; // header item 5, whole
    int timeLimit = 0;      // header item 7, whole seconds, at least 1
};

// The check, the header's numbers, the lines, the display texts and the
// total, as a practice screen needs them once the player confirms a file.
Result<PracticeProblems> preparePracticeProblems(const std::vector<std::string> &items,
                                                 const RomajiTable &table);

// An exam file's phrases for the battle screen: read, checked like a practice
// body from item 0, at most kExamLineCapacity phrases.
Result<std::vector<std::string>> loadExamPhrases(const std::string &path, const RomajiTable &table);

} // namespace ks
