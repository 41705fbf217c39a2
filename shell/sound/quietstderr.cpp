#include "quietstderr.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace ks::sound {

QuietStderr::QuietStderr()
{
    std::fflush(stderr);
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull < 0)
        return;
    m_saved = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (m_saved >= 0)
        ::dup2(devNull, STDERR_FILENO);
    ::close(devNull);
}

QuietStderr::~QuietStderr()
{
    if (m_saved < 0)
        return;
    std::fflush(stderr);
    ::dup2(m_saved, STDERR_FILENO);
    ::close(m_saved);
}

} // namespace ks::sound
