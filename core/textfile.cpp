#include "textfile.h"
#include "utf8.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ks {

namespace {

class Iconv
{
public:
    Iconv(const char *to, const char *from) : m_cd(iconv_open(to, from)) {}
    ~Iconv()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Iconv(const Iconv &) = delete;
    Iconv &operator=(const Iconv &) = delete;

    // (iconv_t)-1 is how iconv_open says it failed.
    bool valid() const
    {
        return m_cd != reinterpret_cast<iconv_t>(-1); // NOLINT(performance-no-int-to-ptr)
    }

    // Converts all of in; on failure returns the offset of the offending input byte.
    bool convert(std::string_view in, std::string &out, std::size_t &failedAt)
    {
        out.resize(in.size() * 3 + 4);
        char *src = const_cast<char *>(in.data());
        std::size_t srcLeft = in.size();
        char *dst = out.data();
        std::size_t dstLeft = out.size();
        while (srcLeft > 0) {
            if (iconv(m_cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<std::size_t>(-1))
                continue;
            if (errno != E2BIG) {
                failedAt = in.size() - srcLeft;
                return false;
            }
            const std::size_t used = out.size() - dstLeft;
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
        }
        // Flush any shift state; CP932 has none, but the call is cheap and correct.
        if (iconv(m_cd, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1)) {
            failedAt = in.size();
            return false;
        }
        out.resize(out.size() - dstLeft);
        return true;
    }

private:
    iconv_t m_cd;
};

std::string lineOf(std::string_view text, std::size_t offset)
{
    std::size_t line = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n')
            ++line;
    }
    return std::to_string(line) + " 行目";
}

// Characters that other programs write for the ones code page 932 holds:
// a wave dash typed on a Mac or Linux becomes the Windows full-width tilde.
std::string toWindowsForms(std::string_view utf8)
{
    static constexpr std::string_view kWaveDash = "\u301C";
    static constexpr std::string_view kMinusSign = "\u2212";
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        if (utf8.substr(i, 3) == kWaveDash) {
            out += "\uFF5E";
            i += 3;
        } else if (utf8.substr(i, 3) == kMinusSign) {
            out += "\uFF0D";
            i += 3;
        } else {
            out += utf8[i++];
        }
    }
    return out;
}

} // namespace

Result<std::string> decodeCp932(std::string_view bytes)
{
    Iconv cd("UTF-8", "CP932");
    if (!cd.valid())
        return Error{ErrorCode::BadEncoding, "CP932 変換が使えません"};
    std::string out;
    std::size_t failedAt = 0;
    if (!cd.convert(bytes, out, failedAt))
        return Error{ErrorCode::BadEncoding, lineOf(bytes, failedAt)};
    return out;
}

Result<std::string> encodeCp932(std::string_view utf8)
{
    Iconv cd("CP932", "UTF-8");
    if (!cd.valid())
        return Error{ErrorCode::Unencodable, "CP932 変換が使えません"};
    const std::string text = toWindowsForms(utf8);
    std::string out;
    std::size_t failedAt = 0;
    if (!cd.convert(text, out, failedAt)) {
        const Utf8Char bad = firstUtf8Char(std::string_view(text).substr(failedAt));
        return Error{ErrorCode::Unencodable, "「" + text.substr(failedAt, bad.bytes) + "」（" +
                                                 lineOf(text, failedAt) + "）"};
    }
    return out;
}

Result<std::string> cp932ReadBack(std::string_view utf8)
{
    Result<std::string> bytes = encodeCp932(utf8);
    if (!bytes)
        return bytes.error();
    return decodeCp932(*bytes);
}

std::optional<Cp932Loss> firstCp932Loss(std::string_view utf8)
{
    if (Result<std::string> whole = cp932ReadBack(utf8); whole && *whole == utf8)
        return std::nullopt;
    // Code page 932 has no shift state, so each character fares alone as it
    // does in the text.
    for (std::string_view rest = utf8; !rest.empty();) {
        const std::string character(rest.substr(0, firstUtf8Char(rest).bytes));
        rest.remove_prefix(character.size());
        Result<std::string> back = cp932ReadBack(character);
        if (!back)
            return Cp932Loss{character, {}};
        if (*back != character)
            return Cp932Loss{character, *back};
    }
    return std::nullopt;
}

Result<std::string> readRegularFile(const std::string &path, std::size_t maxBytes)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer for ever. A regular file reads the same either way.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Error{errno == ENOENT ? ErrorCode::NotFound : ErrorCode::Unreadable, path};
    struct Closer
    {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return Error{ErrorCode::Unreadable, path + "（通常のファイルではありません）"};
    if (static_cast<std::size_t>(st.st_size) > maxBytes)
        return Error{ErrorCode::TooLarge, path};
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Error{ErrorCode::Unreadable, path};
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
        // The file may have grown since fstat.
        if (bytes.size() > maxBytes)
            return Error{ErrorCode::TooLarge, path};
    }
    return bytes;
}

Result<std::string> readTextFile(const std::string &path)
{
    Result<std::string> bytes = readRegularFile(path, kMaxTextFileBytes);
    if (!bytes)
        return bytes.error();
    Result<std::string> text = decodeCp932(*bytes);
    if (!text)
        return Error{text.error().code, path + "：" + text.error().detail};
    return text;
}

std::vector<std::string> splitLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

namespace {

// The temporaries are hidden and named for the game, so nothing of the
// player's ever looks like one: ".settei.dat.ks-XXXXXX".
constexpr std::string_view kTemporaryTag = ".ks-";

// The file a write lands in: path itself, or the target of the symbolic
// link(s) at path, so the link stays a link and its target gets the data.
std::filesystem::path landingPath(const std::string &path)
{
    namespace fs = std::filesystem;
    fs::path target = path;
    std::error_code error;
    for (int hops = 0; hops < 40 && fs::is_symlink(target, error); ++hops) {
        const fs::path link = fs::read_symlink(target, error);
        if (error)
            break;
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target;
}

void syncFolder(const std::filesystem::path &folder)
{
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

Result<void> writeFileAtomic(const std::string &path, std::string_view bytes,
                             const std::function<bool()> &beforeCommit)
{
    const std::filesystem::path target = landingPath(path);
    const std::string targetPath = target.string();

    // A replaced file keeps its permissions; a new one gets the usual 0644.
    // One the player made read-only stays as it is.
    struct stat old
    {
    };
    mode_t mode = 0644;
    if (::stat(targetPath.c_str(), &old) == 0) {
        if (!S_ISREG(old.st_mode))
            return Error{ErrorCode::WriteFailed, path + "（通常のファイルではありません）"};
        if ((old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
            return Error{ErrorCode::WriteFailed, path + "（読み取り専用です）"};
        mode = old.st_mode & 07777;
    }

    const std::filesystem::path folder = target.parent_path();
    std::string temp =
        (folder / ("." + target.filename().string() + std::string(kTemporaryTag) + "XXXXXX"))
            .string();
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Error{ErrorCode::WriteFailed, path};
    ::fchmod(fd, mode);

    auto abandon = [&] {
        ::close(fd);
        ::unlink(temp.c_str());
        return Error{ErrorCode::WriteFailed, path};
    };

    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return abandon();
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        return abandon();
    if (beforeCommit && !beforeCommit())
        return abandon();
    if (::close(fd) != 0) {
        ::unlink(temp.c_str());
        return Error{ErrorCode::WriteFailed, path};
    }
    if (::rename(temp.c_str(), targetPath.c_str()) != 0) {
        ::unlink(temp.c_str());
        return Error{ErrorCode::WriteFailed, path};
    }
    syncFolder(folder);
    return {};
}

void removeStaleTemporaries(const std::string &folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        // ".NAME.ks-XXXXXX", exactly as mkostemp fills it in.
        const std::size_t tag = name.rfind(kTemporaryTag);
        std::error_code kind;
        if (name.size() < 2 || name.front() != '.' || tag == std::string::npos ||
            name.size() != tag + kTemporaryTag.size() + 6 || !it->is_regular_file(kind) ||
            it->is_symlink(kind))
            continue;
        fs::remove(it->path(), kind);
    }
}

Result<void> writeTextLines(const std::string &path, const std::vector<std::string> &lines,
                            const std::function<bool()> &beforeCommit)
{
    std::string text;
    for (const std::string &line : lines) {
        text += line;
        text += "\r\n";
    }
    Result<std::string> bytes = encodeCp932(text);
    if (!bytes)
        return Error{bytes.error().code, path + "：" + bytes.error().detail};
    return writeFileAtomic(path, *bytes, beforeCommit);
}

} // namespace ks
