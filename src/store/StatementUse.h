#pragma once

#include <sqlite3.h>

// Resets a cached statement when a use of it ends, so no read keeps a lock and no binding leaks into the
// next use.
class StatementUse
{
public:
    explicit StatementUse(sqlite3_stmt* statement) : m_statement(statement) {}
    ~StatementUse()
    {
        if (m_statement) {
            sqlite3_reset(m_statement);
            sqlite3_clear_bindings(m_statement);
        }
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }
    int step() const { return sqlite3_step(m_statement); }

private:
    sqlite3_stmt* m_statement;
};
