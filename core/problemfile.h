#pragma once

#include "appdir.h"
#include "result.h"
#include "romajimatcher.h"
#include "romajitable.h"
#include "spellingmatcher.h"

#include <array>
#include <cstddef>
#include <optional>
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

// Where each value of a practice header stands. The even items before them
// are free labels, never read.
inline constexpr std::size_t kTitleItem = 1;
inline constexpr std::size_t kLevelItem = 3;
inline constexpr std::size_t kProblemCountItem = 5;
inline constexpr std::size_t kTimeLimitItem = 7;
inline constexpr std::size_t kAssetFolderItem = 9;
inline constexpr std::size_t kFontSizeItem = 11;
inline constexpr std::size_t kAuthorItem = 13;

// What a practice file's asset folder holds: the target and the four sounds.
inline constexpr std::array<std::string_view, 5> kPracticeAssetFiles{
    "target.bmp", "gun.wav", "set.wav", "miss.wav", "brake.wav"};
// The shipped asset folder, under practice\.
inline constexpr std::string_view kStandardAssetFolder = "standard\\";

// The practice files of a folder: the regular files whose names end in ".ksd"
// in any case, hidden ones (".name") left out, sorted by the bytes of their
// names so the list is the same on every machine. NotFound without the folder.
Result<std::vector<std::string>> listProblemFiles(const std::string &folder);

// The items of a problem file; more than capacity items is TooManyItems.
// The file is code page 932, as Windows writes it; one that is not, but is
// valid UTF-8 (as a problem file written on Linux most likely is), is read
// as UTF-8.
Result<std::vector<std::string>> ReadProblemItems(const std::string &path, std::size_t capacity);

// How many practice files the selection page lists.
inline constexpr std::size_t kMaxListedPracticeFiles = 1000;

// The practice files a game lists: those of every practice folder (the
// shipped one, then the player's), in one list by name, the shipped one
// first where both hold a name. A file that cannot be read is left out of
// the list and named in skipped, so one broken file never hides the others.
// A folder of more files than the page lists gives the first ones by name,
// capacity of them, and counts the rest, which are not read.
struct PracticeFileList
{
    struct Skipped
    {
        std::string path;
        Error error;
    };
    std::vector<std::string> paths;
    std::vector<Skipped> skipped;
    std::size_t leftOut = 0;
};
PracticeFileList listPracticeFiles(const AppDir &game,
                                   std::size_t capacity = kMaxListedPracticeFiles);

// Text from a file as a label may show it: control characters (a NUL, a
// tab) left out.
std::string shownText(std::string_view text);

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

// The romaji line's size in points, header item 11, when a screen font can
// take it (1 to 72 points); otherwise the line keeps its design size.
std::optional<double> romajiLinePoints(const std::vector<std::string> &items);

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
    // The same problems unit by unit, for judging any spelling and for
    // naming the kana a key was typed for.
    std::vector<KanaProblem> kanaProblems;
    std::vector<std::string> displayTexts;
    std::size_t romajiTotal = 0;
    int problemsToPlay = 0; // header item 5, whole
    int timeLimit = 0;      // header item 7, whole seconds, at least 1
};

// The check, the header's numbers, the lines, the display texts and the
// total, as a practice screen needs them once the player confirms a file.
Result<PracticeProblems> preparePracticeProblems(const std::vector<std::string> &items,
                                                 const RomajiTable &table);

// A practice file's asset folder must stay inside the practice folder: no
// ".." and no absolute path (UnsafeAssetFolder). An empty one means the
// practice folder itself.
Result<void> checkAssetFolderItem(std::string_view item);

// The folder the target and sounds of the practice file at filePath are
// loaded from: the asset folder beside the file when it holds a target,
// else the game's own (practice/ + item), so a player's file may use the
// shipped pictures. Ends in "/". Refuses an unsafe item.
Result<std::string> practiceAssetFolder(std::string_view item, const std::string &filePath,
                                        const AppDir &game);

struct PlayablePractice
{
    PracticeProblems problems;
    std::string assetFolder; // as practiceAssetFolder gives it
};

// Everything the game holds a practice file to when the player confirms it,
// in one place, so a tool that says a file plays says what the game does:
// the items' check and header numbers (preparePracticeProblems), and an
// asset folder inside the practice folder whose five files are there and
// can be read.
Result<PlayablePractice> confirmPracticeFile(const std::vector<std::string> &items,
                                             const RomajiTable &table, const std::string &filePath,
                                             const AppDir &game);

// An exam file's phrases for the battle screen: read, checked like a practice
// body from item 0, at most kExamLineCapacity phrases.
Result<std::vector<std::string>> loadExamPhrases(const std::string &path, const RomajiTable &table);
// The same phrases unit by unit: phrase k's tableLine is line k of
// loadExamPhrases.
Result<std::vector<KanaProblem>> loadExamProblems(const std::string &path,
                                                  const RomajiTable &table);

} // namespace ks
