#pragma once

#include "result.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

// The game's own files are tiny (a practice file is at most a few kilobytes);
// anything past this is not one of them, and is refused before it is read.
inline constexpr std::size_t kMaxTextFileBytes = 1u << 20;

// Code page 932 as Windows writes it: "\" stays a backslash and "～" is U+FF5E.
// Inside the game every string is UTF-8.
Result<std::string> decodeCp932(std::string_view bytes);
Result<std::string> encodeCp932(std::string_view utf8);

// Text as it reads back once written in code page 932. The encoder takes some
// characters one way only ("〜" comes back as "～", "¥" as a backslash), so this may
// differ from utf8; Unencodable when a character has no form there at all.
Result<std::string> cp932ReadBack(std::string_view utf8);

// A character that does not come back as itself from code page 932: readBack
// is what comes back instead, empty when the code page cannot hold it ("é").
struct Cp932Loss
{
    std::string character;
    std::string readBack;
};

// The first character of utf8 that code page 932 would lose; none when the
// whole text comes back as written.
std::optional<Cp932Loss> firstCp932Loss(std::string_view utf8);

// The bytes of a regular file of at most maxBytes. It is opened without
// blocking and read only when it is a regular file (a symbolic link to one
// will do), so a FIFO, a device or a folder in its place is Unreadable at
// once rather than hanging or filling memory.
Result<std::string> readRegularFile(const std::string &path, std::size_t maxBytes);

// Whole file, decoded to UTF-8, line ends left as they were.
Result<std::string> readTextFile(const std::string &path);

// Lines split at CR LF, LF or a lone CR. A final line end does not start
// another line, so "a\r\nb\r\n" is two lines.
std::vector<std::string> splitLines(std::string_view text);

// Replaces the file at path with bytes: a temporary file beside it is written
// and synced, then renamed over the old one and the folder synced, so a crash
// or a failed write at any moment leaves the old file whole and a power cut
// after it keeps the new one. beforeCommit runs just before the rename;
// returning false abandons the write (tests use it to interrupt one).
//
// A path that is a symbolic link is written through to its target, in the
// target's folder. The file keeps its permissions; one the player made
// read-only, or anything but a regular file, is not replaced (WriteFailed).
Result<void> writeFileAtomic(const std::string &path, std::string_view bytes,
                             const std::function<bool()> &beforeCommit = {});

// The temporaries writeFileAtomic leaves when the game is killed mid-write,
// for files in folder: removed at start-up. Only the game's own names match.
void removeStaleTemporaries(const std::string &folder);

// Each line encoded to code page 932 and followed by CR LF, written atomically.
// A character that code page 932 cannot hold refuses the whole write.
Result<void> writeTextLines(const std::string &path, const std::vector<std::string> &lines,
                            const std::function<bool()> &beforeCommit = {});

} // namespace ks
