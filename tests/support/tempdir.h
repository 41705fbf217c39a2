#pragma once

#include <string>
#include <string_view>

namespace ks::test {

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    // Path of name inside the directory.
    std::string path(std::string_view name) const;
    const std::string &root() const { return m_root; }

    // Writes raw bytes (already CP932, line ends as given) to name.
    void write(std::string_view name, std::string_view bytes) const;
    // Reads name back as raw bytes; empty when it does not exist.
    std::string read(std::string_view name) const;
    bool exists(std::string_view name) const;
    // Names of the entries of the directory, sorted.
    std::string listing() const;

private:
    std::string m_root;
};

// UTF-8 text to CP932 bytes; the test fails loudly if the text cannot be encoded.
std::string cp932(std::string_view utf8);

} // namespace ks::test
