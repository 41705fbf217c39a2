#pragma once

#include "result.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// A settings file in the INI form players know from Windows, which they may
// edit by hand: "[section]" lines, "key = value" lines, comments starting
// with ";" or "#", and a ";" or "#" after a value's blank starts a comment
// too. It is kept line by line as read, so whatever the game does
// not understand (other sections, other keys, comments, odd lines, bytes
// that are not code page 932, each line's own end) is written back byte for
// byte; only the value of a line the game sets is written anew.
//
// Section and key names are compared without regard to ASCII case. Where a
// key stands twice, the first one counts, as Windows reads such files.
class IniFile
{
public:
    // Any bytes: lines end at CR LF, LF or a lone CR; each line is read as
    // code page 932 (plain ASCII is the same), a UTF-8 byte order mark is
    // skipped, and a line that does not decode counts as a line of nothing.
    static IniFile parse(std::string_view bytes);

    // The value of the key in the section, without the blanks around it (and
    // without one pair of double quotes around it); nullopt when it is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;

    // Sets the value of the key's first line, keeping the line's own text up
    // to the value; a missing key is added after the last key of the
    // section's first part, a missing section at the end of the file. A line
    // break in any of the three, or a character code page 932 cannot hold,
    // is UnsafeItem / Unencodable and changes nothing.
    Result<void> setValue(std::string_view section, std::string_view key, std::string_view value);

    // The whole file as bytes: each line as read with its own end, an added
    // line ending in CR LF.
    std::string bytes() const;

private:
    enum class LineKind
    {
        Other, // blank, comment, or anything not understood
        Section,
        Key
    };

    struct Line
    {
        std::string raw; // the bytes as read, without the line end
        LineKind kind = LineKind::Other;
        std::string name;    // the section's or key's name as written
        std::string value;   // a key's value, decoded and trimmed
        std::string section; // the section the line is in; empty before the first
        std::string ending;  // as read: CR LF, LF or CR; empty for an added line (CR LF)
        bool last = false;   // the file's last line as read, which had no end
    };

    static Line parseLine(std::string raw, std::string_view text);
    const Line *findKey(std::string_view section, std::string_view key) const;

    std::vector<Line> m_lines;
};

// The file at path: NotFound, Unreadable or TooLarge (over kMaxTextFileBytes)
// when it cannot be read; any bytes it holds parse.
Result<IniFile> readIniFile(const std::string &path);

// Written atomically, in CR LF.
Result<void> writeIniFile(const std::string &path, const IniFile &file,
                          const std::function<bool()> &beforeCommit = {});

} // namespace ks
