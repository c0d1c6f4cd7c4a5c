#include "crossdoc/Sqlite.h"

namespace ikw::crossdoc {

void SqliteStatement::bind(int index, std::string_view text)
{
    sqlite3_bind_text64(m_statement.get(), index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void SqliteStatement::bind(int index, std::int64_t value)
{
    sqlite3_bind_int64(m_statement.get(), index, value);
}

void SqliteStatement::bindInt32(int index, int value)
{
    sqlite3_bind_int(m_statement.get(), index, value);
}

int SqliteStatement::step()
{
    return sqlite3_step(m_statement.get());
}

void SqliteStatement::reset()
{
    sqlite3_reset(m_statement.get());
    sqlite3_clear_bindings(m_statement.get());
}

std::int64_t SqliteStatement::columnInt64(int column) const
{
    return sqlite3_column_int64(m_statement.get(), column);
}

std::string SqliteStatement::columnText(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement.get(), column));
    if (!text)
        return {};
    return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_statement.get(), column)));
}

std::optional<SqliteConnection> SqliteConnection::open(const std::string& path, std::string& error)
{
    sqlite3* connection = nullptr;
    const int result = sqlite3_open(path.c_str(), &connection);
    // A failed open may still hand back a handle, for its message; it is closed all the same.
    SqliteConnection owner(connection);
    if (result != SQLITE_OK) {
        error = connection ? sqlite3_errmsg(connection) : sqlite3_errstr(result);
        return std::nullopt;
    }
    return owner;
}

int SqliteConnection::execute(const std::string& sql)
{
    return sqlite3_exec(m_connection.get(), sql.c_str(), nullptr, nullptr, nullptr);
}

std::optional<SqliteStatement> SqliteConnection::prepare(std::string_view sql)
{
    sqlite3_stmt* statement = nullptr;
    const int result = sqlite3_prepare_v2(m_connection.get(), sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    if (result != SQLITE_OK || !statement) {
        sqlite3_finalize(statement);
        return std::nullopt;
    }
    return SqliteStatement(statement);
}

std::string SqliteConnection::errorMessage() const
{
    return sqlite3_errmsg(m_connection.get());
}

bool isDamagedDatabase(int resultCode)
{
    const int primary = resultCode & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

}
