#pragma once

#include <QString>

#include <sql.h>
#include <sqlext.h>

namespace tabulex::odbc {

// Owns one ODBC handle and frees it at destruction.
class Handle {
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent);
    ~Handle();
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }

    // Throws DataError with the handle's diagnostics unless rc is a success (SQL_NO_DATA
    // counts as success: the driver answers it for DDL statements).
    void check(SQLRETURN rc, const char* what) const;
    [[noreturn]] void fail(const char* what) const;

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// The process-wide ODBC 3 environment.
SQLHENV environment();

inline const SQLWCHAR* wide(const QString& s)
{
    return reinterpret_cast<const SQLWCHAR*>(s.utf16());
}

} // namespace tabulex::odbc
