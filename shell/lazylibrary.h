#pragma once

#include <string>

namespace ks {

// A shared library opened when it is first needed rather than linked: a
// linked library is mapped by the dynamic linker before main, on the way to
// the first window, whether the player ever uses it or not (SQLite for the
// records, SDL and its forty dependencies for sound).
//
// A loader lists the functions it needs once, as an X-macro, and declares
// them and resolves them with the two macros below:
//
//     #define KS_FOO_FUNCTIONS(X) X(foo_open) X(foo_close)
//     struct FooLibrary { KS_FOO_FUNCTIONS(KS_LIBRARY_POINTER) bool loaded = false; };
//     LazyLibrary library("libfoo.so.1", LazyLibrary::Symbols::Local);
//     FooLibrary api;
//     KS_FOO_FUNCTIONS(KS_LIBRARY_RESOLVE)
//     api.loaded = library.complete();
class LazyLibrary
{
public:
    enum class Symbols
    {
        Local,  // the library's symbols stay its own
        Global, // later libraries may bind to them (FluidSynth's hooks)
    };

    LazyLibrary(const char *soname, Symbols symbols);
    // The library stays loaded for the life of the process: the functions
    // resolved from it are kept in static tables.
    ~LazyLibrary() = default;
    LazyLibrary(const LazyLibrary &) = delete;
    LazyLibrary &operator=(const LazyLibrary &) = delete;

    bool isOpen() const { return m_handle != nullptr; }
    // Where opening or resolving failed, for the log: the loader's error, or
    // the first function the library lacks.
    const std::string &failure() const { return m_failure; }

    // function becomes the library's symbol name, or null when it has none;
    // a required one missing makes the library incomplete.
    template <typename Function> void resolve(Function *&function, const char *name, bool required)
    {
        function = reinterpret_cast<Function *>(symbol(name, required));
    }
    // Open, and every required function found.
    bool complete() const { return m_handle != nullptr && m_failure.empty(); }

private:
    void *symbol(const char *name, bool required);

    void *m_handle = nullptr;
    std::string m_failure;
};

} // namespace ks

// A declarator cannot be parenthesised.
#define KS_LIBRARY_POINTER(name)                                                                   \
    decltype(&::name) name = nullptr; // NOLINT(bugprone-macro-parentheses)
// Expects a LazyLibrary named library and the table being filled named api.
#define KS_LIBRARY_RESOLVE(name) library.resolve(api.name, #name, true);
