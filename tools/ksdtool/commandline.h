#pragma once

#include <optional>
#include <string>
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
    std::string command;   // "lines", "check", "make" or "readings"
    std::string tablePath; // empty: the player's table, see ToolFolders
    std::string gamePath;  // empty: see ToolFolders
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

const char *usageText();

// Options may come before or after the file, as "--opt value" or "--opt=value";
// "--" ends the options so a file may start with "-".
ParsedCommandLine parseCommandLine(const std::vector<std::string> &args);

} // namespace ksd
