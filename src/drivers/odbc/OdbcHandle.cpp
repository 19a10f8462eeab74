#include "drivers/odbc/OdbcHandle.h"

#include "core/DataError.h"

#include <vector>

namespace tabulex::odbc {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC must use 2-byte SQLWCHAR");

SQLHENV environment()
{
    static const SQLHENV env = [] {
        SQLHENV h = SQL_NULL_HENV;
        if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &h)))
            throw DataError(QStringLiteral("The ODBC driver manager could not be initialised."));
        SQLSetEnvAttr(h, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        return h;
    }();
    return env;
}

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type)
{
    const SQLRETURN rc = SQLAllocHandle(type, parent, &m_handle);
    if (!SQL_SUCCEEDED(rc))
        throw DataError(QStringLiteral("The ODBC driver manager could not allocate a handle."));
}

Handle::~Handle()
{
    if (m_handle != SQL_NULL_HANDLE)
        SQLFreeHandle(m_type, m_handle);
}

void Handle::check(SQLRETURN rc, const char* what) const
{
    if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA)
        return;
    fail(what);
}

void Handle::fail(const char* what) const
{
    // The first record that is not a warning carries the failure; warnings come first at times.
    QString text, state;
    SQLINTEGER native = 0;
    bool haveError = false;
    QString all;
    QList<int> natives;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR st[6] = {};
        SQLINTEGER nat = 0;
        SQLSMALLINT len = 0;
        std::vector<SQLWCHAR> msg(1024);
        SQLRETURN rc = SQLGetDiagRecW(m_type, m_handle, i, st, &nat, msg.data(),
                                      SQLSMALLINT(msg.size()), &len);
        if (rc == SQL_SUCCESS_WITH_INFO && len >= SQLSMALLINT(msg.size())) {
            msg.resize(size_t(len) + 1);
            rc = SQLGetDiagRecW(m_type, m_handle, i, st, &nat, msg.data(), SQLSMALLINT(msg.size()),
                                &len);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        const QString s = QString::fromUtf16(reinterpret_cast<const char16_t*>(st), 5);
        const QString m = QString::fromUtf16(reinterpret_cast<const char16_t*>(msg.data()),
                                             qsizetype(std::min<size_t>(len, msg.size() - 1)));
        const bool warning = s.startsWith(QLatin1String("01"));
        if (!all.isEmpty())
            all += u'\n';
        all += m;
        natives << int(nat);
        if (text.isEmpty() || (!haveError && !warning)) {
            text = m;
            state = s;
            native = nat;
            haveError = !warning;
        }
    }
    if (text.isEmpty())
        text = QStringLiteral("ODBC call %1 failed without a diagnostic record.")
                   .arg(QLatin1String(what));
    DataError error(text, int(native), state);
    if (natives.size() > 1)
        error.setAllRecords(all, natives);
    throw error;
}

} // namespace tabulex::odbc
