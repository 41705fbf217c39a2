#pragma once

#include "shell/lazylibrary.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace ks::records {

// SQLite is loaded when the records are first opened, not linked: linked, the
// dynamic linker would map it before main, on the way to the first window, for
// a file most starts never touch.
#define KS_SQLITE_FUNCTIONS(X)                                                                     \
    X(sqlite3_bind_int64)                                                                          \
    X(sqlite3_bind_null)                                                                           \
    X(sqlite3_bind_text)                                                                           \
    X(sqlite3_busy_timeout)                                                                        \
    X(sqlite3_close_v2)                                                                            \
    X(sqlite3_column_bytes)                                                                        \
    X(sqlite3_column_count)                                                                        \
    X(sqlite3_column_int64)                                                                        \
    X(sqlite3_column_name)                                                                         \
    X(sqlite3_column_text)                                                                         \
    X(sqlite3_column_type)                                                                         \
    X(sqlite3_errmsg)                                                                              \
    X(sqlite3_errstr)                                                                              \
    X(sqlite3_exec)                                                                                \
    X(sqlite3_extended_errcode)                                                                    \
    X(sqlite3_extended_result_codes)                                                               \
    X(sqlite3_finalize)                                                                            \
    X(sqlite3_last_insert_rowid)                                                                   \
    X(sqlite3_open_v2)                                                                             \
    X(sqlite3_prepare_v2)                                                                          \
    X(sqlite3_reset)                                                                               \
    X(sqlite3_step)

struct SqliteLibrary
{
    KS_SQLITE_FUNCTIONS(KS_LIBRARY_POINTER)
    bool loaded = false;
};

// Loaded once, by the first caller; the game's UI thread is the only one.
const SqliteLibrary &api();

// A prepared statement that finalises itself.
class Statement
{
public:
    Statement(sqlite3 *db, const char *sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return m_code == SQLITE_OK; }
    int code() const { return m_code; }
    sqlite3_stmt *get() const { return m_stmt; }

    void bind(int i, std::int64_t value);
    void bind(int i, std::string_view text);
    void bindNull(int i);
    // Text, or NULL when it is empty.
    void bindOptional(int i, std::string_view text);

    // SQLITE_ROW, SQLITE_DONE or an error, kept in code().
    int step();
    bool reset();

    std::int64_t integer(int column) const;
    bool isNull(int column) const;
    std::string text(int column) const;
    int columnCount() const;
    std::string columnName(int column) const;

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_code = SQLITE_OK;
};

int exec(sqlite3 *db, const char *sql);
// A pragma that answers with a row, run to its end so it holds no lock.
bool stepOnce(sqlite3 *db, const char *sql);
// The file is no database, or its pages are damaged.
bool isCorrupt(int code);
// The code of the last call that failed on db.
int lastError(sqlite3 *db);
// A URI that opens the file at path as it lies: no lock, no journal, nothing
// made beside it (for SQLITE_OPEN_URI).
std::string immutableUri(const std::string &path);

} // namespace ks::records
