#include "support/tempdir.h"

#include "core/textfile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>

namespace ks::test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "keystorm-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    m_root = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

std::string TempDir::path(std::string_view name) const
{
    return m_root + "/" + std::string(name);
}

void TempDir::write(std::string_view name, std::string_view bytes) const
{
    const std::filesystem::path target = path(name);
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string TempDir::read(std::string_view name) const
{
    std::ifstream in(path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool TempDir::exists(std::string_view name) const
{
    return std::filesystem::exists(path(name));
}

std::string TempDir::listing() const
{
    std::set<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(m_root))
        names.insert(entry.path().filename().string());
    std::ostringstream out;
    for (const std::string &name : names)
        out << name << '\n';
    return out.str();
}

std::string cp932(std::string_view utf8)
{
    Result<std::string> bytes = encodeCp932(utf8);
    if (!bytes)
        throw std::runtime_error("not encodable in CP932: " + std::string(utf8));
    return *bytes;
}

} // namespace ks::test
