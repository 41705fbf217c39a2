#include "inifile.h"

#include "textfile.h"

#include <algorithm>

namespace ks {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool sameName(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

bool hasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Where a comment after a value begins: a ";" or "#" with a blank before it,
// outside the value's double quotes; the blanks before it count with it.
// npos when the value has none. Neither character, nor a blank, is ever the
// second byte of a code page 932 character, so this reads the raw bytes too.
std::size_t commentStart(std::string_view value)
{
    std::size_t from = 0;
    while (from < value.size() && isBlank(value[from]))
        ++from;
    if (from < value.size() && value[from] == '"') {
        const std::size_t close = value.find('"', from + 1);
        from = close == std::string_view::npos ? value.size() : close + 1;
    }
    for (std::size_t i = std::max<std::size_t>(from, 1); i < value.size(); ++i) {
        if ((value[i] == ';' || value[i] == '#') && isBlank(value[i - 1])) {
            std::size_t start = i;
            while (start > 0 && isBlank(value[start - 1]))
                --start;
            return start;
        }
    }
    return std::string_view::npos;
}

// The lines of bytes, each with its own end (CR LF, LF, a lone CR, or none
// for a last line without one), so each goes back as it came.
std::vector<std::pair<std::string, std::string>> linesWithEnds(std::string_view bytes)
{
    std::vector<std::pair<std::string, std::string>> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(std::string(bytes.substr(start)), std::string());
            break;
        }
        const std::size_t endBytes =
            bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
        lines.emplace_back(std::string(bytes.substr(start, end - start)),
                           std::string(bytes.substr(end, endBytes)));
        start = end + endBytes;
    }
    return lines;
}

} // namespace

IniFile::Line IniFile::parseLine(std::string raw, std::string_view text)
{
    Line line;
    line.raw = std::move(raw);
    const std::string_view content = trimmed(text);
    if (content.empty() || content.front() == ';' || content.front() == '#')
        return line;
    if (content.front() == '[') {
        const std::size_t close = content.find(']');
        if (close != std::string_view::npos) {
            line.kind = LineKind::Section;
            line.name = trimmed(content.substr(1, close - 1));
        }
        return line;
    }
    const std::size_t equals = content.find('=');
    if (equals == std::string_view::npos || trimmed(content.substr(0, equals)).empty())
        return line;
    line.kind = LineKind::Key;
    line.name = trimmed(content.substr(0, equals));
    std::string_view value = content.substr(equals + 1);
    value = trimmed(value.substr(0, commentStart(value)));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    line.value = value;
    return line;
}

IniFile IniFile::parse(std::string_view bytes)
{
    IniFile file;
    std::string section;
    bool first = true;
    for (auto &[raw, ending] : linesWithEnds(bytes)) {
        std::string_view undecoded = raw;
        if (first && undecoded.starts_with(kUtf8Mark))
            undecoded.remove_prefix(kUtf8Mark.size());
        first = false;
        const Result<std::string> text = decodeCp932(undecoded);
        Line line = parseLine(std::move(raw), text ? std::string_view(*text) : std::string_view());
        line.last = ending.empty();
        line.ending = std::move(ending);
        if (line.kind == LineKind::Section)
            section = line.name;
        line.section = section;
        file.m_lines.push_back(std::move(line));
    }
    return file;
}

const IniFile::Line *IniFile::findKey(std::string_view section, std::string_view key) const
{
    for (const Line &line : m_lines) {
        if (line.kind == LineKind::Key && sameName(line.section, section) &&
            sameName(line.name, key))
            return &line;
    }
    return nullptr;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const
{
    if (const Line *line = findKey(section, key))
        return line->value;
    return std::nullopt;
}

Result<void> IniFile::setValue(std::string_view section, std::string_view key,
                               std::string_view value)
{
    if (hasLineBreak(section) || hasLineBreak(key) || hasLineBreak(value) || trimmed(key).empty() ||
        key.find('=') != std::string_view::npos)
        return Error{ErrorCode::UnsafeItem, std::string(key)};
    const Result<std::string> encodedValue = encodeCp932(value);
    if (!encodedValue)
        return encodedValue.error();

    if (const Line *found = findKey(section, key)) {
        Line &line = m_lines[static_cast<std::size_t>(found - m_lines.data())];
        // The line's own bytes up to the value: its indentation, the key as
        // written and the blanks around "=". '=' is never the second byte of
        // a code page 932 character, so the first one is the real one.
        std::size_t at = line.raw.find('=') + 1;
        while (at < line.raw.size() && isBlank(line.raw[at]))
            ++at;
        // A comment after the value stays, as the player wrote it.
        const std::string_view rest = std::string_view(line.raw).substr(at);
        const std::size_t comment = commentStart(rest);
        const std::string tail =
            comment == std::string_view::npos ? std::string() : std::string(rest.substr(comment));
        line.raw = line.raw.substr(0, at) + *encodedValue + tail;
        line.value = value;
        return {};
    }

    const Result<std::string> encodedKey = encodeCp932(std::string(key) + "=");
    if (!encodedKey)
        return encodedKey.error();
    Line added{*encodedKey + *encodedValue, LineKind::Key, std::string(key), std::string(value),
               std::string(section)};

    const auto header = std::find_if(m_lines.begin(), m_lines.end(), [&](const Line &line) {
        return line.kind == LineKind::Section && sameName(line.name, section);
    });
    if (header != m_lines.end()) {
        // After the part's last key, so comments and blank lines that lead
        // into the next section stay with it.
        auto after = header + 1;
        for (auto it = header + 1; it != m_lines.end() && it->kind != LineKind::Section; ++it) {
            if (it->kind == LineKind::Key)
                after = it + 1;
        }
        added.section = header->name;
        m_lines.insert(after, std::move(added));
        return {};
    }

    const Result<std::string> encodedSection = encodeCp932("[" + std::string(section) + "]");
    if (!encodedSection)
        return encodedSection.error();
    if (!m_lines.empty() && !trimmed(m_lines.back().raw).empty())
        m_lines.push_back(Line{});
    Line sectionLine{
        *encodedSection, LineKind::Section, std::string(section), {}, std::string(section)};
    m_lines.push_back(std::move(sectionLine));
    m_lines.push_back(std::move(added));
    return {};
}

std::string IniFile::bytes() const
{
    std::string out;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines[i];
        out += line.raw;
        // A last line without an end keeps having none, unless lines were
        // added after it.
        if (!line.ending.empty())
            out += line.ending;
        else if (!line.last || i + 1 < m_lines.size())
            out += "\r\n";
    }
    return out;
}

Result<IniFile> readIniFile(const std::string &path)
{
    Result<std::string> bytes = readRegularFile(path, kMaxTextFileBytes);
    if (!bytes)
        return bytes.error();
    return IniFile::parse(*bytes);
}

Result<void> writeIniFile(const std::string &path, const IniFile &file,
                          const std::function<bool()> &beforeCommit)
{
    return writeFileAtomic(path, file.bytes(), beforeCommit);
}

} // namespace ks
