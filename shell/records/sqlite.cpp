#include "sqlite.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcRecords)

namespace ks::records {

namespace {

SqliteLibrary loadSqlite()
{
    LazyLibrary library("libsqlite3.so.0", LazyLibrary::Symbols::Local);
    SqliteLibrary api;
    KS_SQLITE_FUNCTIONS(KS_LIBRARY_RESOLVE)
    if (!library.complete()) {
        qCInfo(lcRecords) << "no SQLite:" << library.failure().c_str();
        return {};
    }
    api.loaded = true;
    return api;
}

} // namespace

const SqliteLibrary &api()
{
    static const SqliteLibrary library = loadSqlite();
    return library;
}

Statement::Statement(sqlite3 *db, const char *sql)
{
    m_code = api().sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr);
}

Statement::~Statement()
{
    api().sqlite3_finalize(m_stmt);
}

void Statement::bind(int i, std::int64_t value)
{
    api().sqlite3_bind_int64(m_stmt, i, value);
}

void Statement::bind(int i, std::string_view text)
{
    api().sqlite3_bind_text(m_stmt, i, text.data(), static_cast<int>(text.size()),
                            SQLITE_TRANSIENT);
}

void Statement::bindNull(int i)
{
    api().sqlite3_bind_null(m_stmt, i);
}

void Statement::bindOptional(int i, std::string_view text)
{
    if (text.empty())
        bindNull(i);
    else
        bind(i, text);
}

int Statement::step()
{
    m_code = api().sqlite3_step(m_stmt);
    return m_code;
}

bool Statement::reset()
{
    m_code = api().sqlite3_reset(m_stmt);
    return m_code == SQLITE_OK;
}

std::int64_t Statement::integer(int column) const
{
    return api().sqlite3_column_int64(m_stmt, column);
}

bool Statement::isNull(int column) const
{
    return api().sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

std::string Statement::text(int column) const
{
    const auto *bytes = api().sqlite3_column_text(m_stmt, column);
    if (!bytes)
        return {};
    return {reinterpret_cast<const char *>(bytes),
            static_cast<std::size_t>(api().sqlite3_column_bytes(m_stmt, column))};
}

int Statement::columnCount() const
{
    return api().sqlite3_column_count(m_stmt);
}

std::string Statement::columnName(int column) const
{
    const char *name = api().sqlite3_column_name(m_stmt, column);
    return name ? name : "";
}

int exec(sqlite3 *db, const char *sql)
{
    return api().sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

bool stepOnce(sqlite3 *db, const char *sql)
{
    Statement statement(db, sql);
    return statement.ok() && statement.step() == SQLITE_ROW;
}

bool isCorrupt(int code)
{
    const int primary = code & 0xFF;
    return primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB;
}

int lastError(sqlite3 *db)
{
    return api().sqlite3_extended_errcode(db);
}

std::string immutableUri(const std::string &path)
{
    // Every byte but the plainest is escaped: a folder's name may hold "?",
    // "#" or "%", which a URI reads otherwise.
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                           (byte >= '0' && byte <= '9') || c == '/' || c == '.' || c == '-' ||
                           c == '_' || c == '~';
        if (plain) {
            uri += c;
        } else {
            uri += '%';
            uri += kHex[byte >> 4];
            uri += kHex[byte & 0x0F];
        }
    }
    return uri + "?immutable=1";
}

} // namespace ks::records
