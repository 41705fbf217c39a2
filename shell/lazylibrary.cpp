#include "lazylibrary.h"

#include <dlfcn.h>

namespace ks {

LazyLibrary::LazyLibrary(const char *soname, Symbols symbols)
{
    m_handle = ::dlopen(soname, RTLD_NOW | (symbols == Symbols::Global ? RTLD_GLOBAL : RTLD_LOCAL));
    if (!m_handle) {
        const char *error = ::dlerror();
        m_failure = error ? error : soname;
    }
}

void *LazyLibrary::symbol(const char *name, bool required)
{
    if (!m_handle)
        return nullptr;
    void *found = ::dlsym(m_handle, name);
    if (!found && required && m_failure.empty())
        m_failure = std::string("lacks ") + name;
    return found;
}

} // namespace ks
