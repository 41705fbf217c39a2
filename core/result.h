#pragma once

#include <optional>
#include <string>
#include <utility>

namespace ks {

// Every way a data file can let the game down. The screens map these to the
// fixed message boxes the player sees; tools print message().
enum class ErrorCode
{
    NotFound,
    Unreadable,
    TooLarge,
    BadEncoding,
    Unencodable,
    TooManyItems,
    TooFewItems,
    TooManyLines,
    UnsafeItem,
    UntypableRomaji,
    KanaBeforeFirstProblem,
    TooManyProblems,
    UnplayableTimeLimit,
    UnplayableProblemCount,
    UnsafeAssetFolder,
    WriteFailed,
    CannotMake,
};

struct Error
{
    ErrorCode code = ErrorCode::Unreadable;
    std::string detail; // file name, position or item, for the player's eyes

    // One Japanese sentence that says what is wrong, for tools and logs.
    std::string message() const;
};

// A value or the reason there is none. Small on purpose: the core has no
// exceptions, and C++20 has no std::expected yet.
template <typename T> class [[nodiscard]] Result
{
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }

    T &value() { return *m_value; }
    const T &value() const { return *m_value; }
    T &operator*() { return *m_value; }
    const T &operator*() const { return *m_value; }
    T *operator->() { return &*m_value; }
    const T *operator->() const { return &*m_value; }

    const Error &error() const { return m_error; }

private:
    std::optional<T> m_value;
    Error m_error;
};

template <> class [[nodiscard]] Result<void>
{
public:
    Result() = default;
    Result(Error error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error &error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};

} // namespace ks
