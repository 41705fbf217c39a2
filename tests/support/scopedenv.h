#pragma once

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

namespace ks::test {

// One environment variable set for a test and put back after it: the
// player's time zone (TZ), home or documents folder.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const std::string &value) : m_name(name)
    {
        if (const char *old = std::getenv(name))
            m_old = old;
        ::setenv(name, value.c_str(), 1);
        ::tzset();
    }
    ~ScopedEnv()
    {
        if (m_old)
            ::setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            ::unsetenv(m_name.c_str());
        ::tzset();
    }
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

} // namespace ks::test
