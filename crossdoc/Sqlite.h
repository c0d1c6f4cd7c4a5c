#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ikw::crossdoc {

// Owners of SQLite's C handles: a connection closes when its owner goes, a statement is finalized.

struct SqliteStatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// One prepared statement. Text is bound as a copy, integers as 64-bit values.
class SqliteStatement {
public:
    explicit SqliteStatement(sqlite3_stmt* statement)
        : m_statement(statement)
    {
    }

    void bind(int index, std::string_view text);
    void bind(int index, std::int64_t value);
    void bindInt32(int index, int value);
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step();
    // Ready to run again, bindings cleared.
    void reset();

    std::int64_t columnInt64(int column) const;
    // The column as UTF-8; NULL reads as the empty text.
    std::string columnText(int column) const;

private:
    std::unique_ptr<sqlite3_stmt, SqliteStatementDeleter> m_statement;
};

struct SqliteConnectionDeleter {
    void operator()(sqlite3* connection) const { sqlite3_close_v2(connection); }
};

// One connection to a database file.
class SqliteConnection {
public:
    // Opens (creating) the file; none when SQLite gives no usable connection, with its reason in `error`.
    static std::optional<SqliteConnection> open(const std::string& path, std::string& error);

    // Runs one or more statements, ignoring any rows; the result code of the first failure or SQLITE_OK.
    int execute(const std::string& sql);
    // None when SQLite rejects the statement.
    std::optional<SqliteStatement> prepare(std::string_view sql);
    // The last error's message.
    std::string errorMessage() const;

    sqlite3* handle() const { return m_connection.get(); }

private:
    explicit SqliteConnection(sqlite3* connection)
        : m_connection(connection)
    {
    }

    std::unique_ptr<sqlite3, SqliteConnectionDeleter> m_connection;
};

// Whether a result code says that the file is no database or that it is damaged.
bool isDamagedDatabase(int resultCode);

}
