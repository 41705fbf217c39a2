#include "sheet.h"

#include "core/textfile.h"
#include "core/utf8.h"

#include <cstdio>

namespace ksd {

ks::Result<std::vector<std::string>> readSheetLines(const std::string &path)
{
    ks::Result<std::string> text = ks::readRegularFile(path, ks::kMaxTextFileBytes);
    if (!text)
        return text.error();
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text->starts_with(kByteOrderMark))
        text->erase(0, kByteOrderMark.size());
    return ks::splitLines(*text);
}

bool isSkippedLine(std::string_view line)
{
    if (line.starts_with('#'))
        return true;
    while (!line.empty()) {
        const ks::Utf8Char c = ks::firstUtf8Char(line);
        if (c.code != U'\t' && c.code != U' ' && c.code != U'\u3000')
            return false;
        line.remove_prefix(c.bytes);
    }
    return true;
}

ks::Result<void> writeOutput(const std::optional<std::string> &path, std::string_view bytes,
                             std::ostream &out)
{
    if (path)
        return ks::writeFileAtomic(*path, bytes);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out)
        return ks::Error{ks::ErrorCode::WriteFailed, "標準出力"};
    return {};
}

char32_t fullWidth(char32_t ascii)
{
    return ascii + (U'！' - U'!');
}

std::string showChar(std::string_view text)
{
    const ks::Utf8Char c = ks::firstUtf8Char(text);
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c.code));
    return "「" + std::string(text.substr(0, c.bytes)) + "」(" + code + ")";
}

} // namespace ksd
