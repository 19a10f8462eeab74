#include "drivers/odbc/OdbcConnection.h"

#include "core/DataError.h"
#include "drivers/odbc/OdbcCursor.h"
#include "drivers/odbc/OdbcHandle.h"

#include <QRegularExpression>

#include <optional>

namespace tabulex::odbc {

namespace {

constexpr const char* kDefaultPort = "1433";
constexpr const char* kTdsVersion = "7.4";

// The port FreeTDS will connect to, or 0 when the driver finds it (an instance name) or the
// environment chooses it.
int serverPort(const ConnectionKeys& keys)
{
    if (qEnvironmentVariableIsSet("TDSPORT"))
        return 0;
    if (const auto port = keys.value(u"PORT"))
        return port->trimmed().toInt();
    const QString server = keys.value(u"SERVER").value_or(QString());
    if (server.contains(u'\\'))
        return 0;
    const qsizetype comma = server.indexOf(u',');
    return comma >= 0 ? server.mid(comma + 1).trimmed().toInt() : QString(kDefaultPort).toInt();
}

// A value as FreeTDS 1.3 reads it back: a braced value runs to the first "}" that is
// followed by ";" or the end, and "}}" is not undone, so braces go around the value as it
// is. A value holding "};" has no such form.
QString freeTdsValue(const ConnectionKey& k)
{
    const QString& v = k.value;
    const bool braces = k.braced || v.contains(u';') || v.contains(u'{') || v.contains(u'}') ||
                        v.startsWith(u' ') || v.endsWith(u' ');
    if (!braces)
        return v;
    if (v.contains(QStringLiteral("};")))
        throw DataError(QStringLiteral("The ODBC driver cannot take the %1 of this connection: "
                                       "it holds \"};\".")
                            .arg(k.name));
    return u'{' + v + u'}';
}

} // namespace

// Marks the statement a call is running, for cancel() from another thread.
class OdbcConnection::InFlight {
public:
    InFlight(OdbcConnection& c, SQLHSTMT h) : m_c(c) { set(h); }
    ~InFlight() { set(SQL_NULL_HSTMT); }
    InFlight(const InFlight&) = delete;
    InFlight& operator=(const InFlight&) = delete;

private:
    void set(SQLHSTMT h)
    {
        const std::lock_guard lock(m_c.m_inFlightMutex);
        m_c.m_inFlight = h;
    }
    OdbcConnection& m_c;
};

OdbcConnection::OdbcConnection() : m_cursors(std::make_shared<CursorRegistry>()) {}
OdbcConnection::~OdbcConnection()
{
    for (OdbcCursor* cursor : std::set<OdbcCursor*>(m_cursors->cursors))
        cursor->release();
    m_executor.reset();
    if (m_connected)
        SQLDisconnect(m_dbc->get());
}

QString OdbcConnection::driverConnectString(const ConnectionKeys& keys)
{
    QString out;
    for (const ConnectionKey& k : keys.keys())
        out += k.name + u'=' + freeTdsValue(k) + u';';
    const auto server = keys.value(u"SERVER");
    if (server && !keys.contains(u"PORT") && !server->contains(u',') && !server->contains(u'\\'))
        out += QStringLiteral("Port=") + QLatin1String(kDefaultPort) + u';';
    if (!keys.contains(u"TDS_VERSION"))
        out += QStringLiteral("TDS_Version=") + QLatin1String(kTdsVersion) + u';';
    return out;
}

std::unique_ptr<OdbcConnection> OdbcConnection::open(const ConnectionKeys& keys,
                                                     const DriverOptions& options)
{
    std::unique_ptr<OdbcConnection> c(new OdbcConnection);
    c->m_dbc = std::make_unique<Handle>(SQL_HANDLE_DBC, environment());
    c->m_commandTimeout = options.commandTimeout;
    SQLHDBC dbc = c->m_dbc->get();
    if (options.connectionTimeout > 0)
        SQLSetConnectAttrW(dbc, SQL_ATTR_LOGIN_TIMEOUT,
                           reinterpret_cast<SQLPOINTER>(SQLULEN(options.connectionTimeout)), 0);

    const QString cs = driverConnectString(keys);
    SQLWCHAR out[1024];
    SQLSMALLINT outLen = 0;
    const std::set<ino_t> before = ServerSocket::socketsNow();
    const SQLRETURN rc =
        SQLDriverConnectW(dbc, nullptr, const_cast<SQLWCHAR*>(wide(cs)), SQLSMALLINT(cs.size()),
                          out, SQLSMALLINT(std::size(out)), &outLen, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(rc))
        c->m_dbc->fail("SQLDriverConnect");
    c->m_connected = true;
    c->findSocket(keys, before);
    return c;
}

void OdbcConnection::findSocket(const ConnectionKeys& keys, const std::set<ino_t>& before)
{
    m_cursors->socket = ServerSocket::find(before, serverPort(keys));
    if (m_cursors->socket)
        m_cursors->socket->limitSilence();
}

void OdbcConnection::cancel()
{
    const std::lock_guard lock(m_inFlightMutex);
    if (m_inFlight != SQL_NULL_HSTMT)
        SQLCancel(m_inFlight);
}

void OdbcConnection::interrupt()
{
    if (m_cursors->socket)
        m_cursors->socket->shutDown();
}

std::unique_ptr<Handle> OdbcConnection::newStatement()
{
    auto stmt = std::make_unique<Handle>(SQL_HANDLE_STMT, m_dbc->get());
    if (m_commandTimeout > 0)
        SQLSetStmtAttrW(stmt->get(), SQL_ATTR_QUERY_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(SQLULEN(m_commandTimeout)), 0);
    return stmt;
}

void OdbcConnection::execute(const QString& statement)
{
    // One statement handle serves every statement that returns nothing to the caller.
    if (!m_executor)
        m_executor = newStatement();
    Handle& stmt = *m_executor;
    SQLHSTMT h = stmt.get();
    SQLFreeStmt(h, SQL_CLOSE);
    if (m_commandTimeout != m_executorTimeout) {
        SQLSetStmtAttrW(h, SQL_ATTR_QUERY_TIMEOUT,
                        reinterpret_cast<SQLPOINTER>(SQLULEN(std::max(m_commandTimeout, 0))), 0);
        m_executorTimeout = m_commandTimeout;
    }
    const InFlight running(*this, h);
    stmt.check(
        SQLExecDirectW(h, const_cast<SQLWCHAR*>(wide(statement)), SQLINTEGER(statement.size())),
        "SQLExecDirect");
    // Read every result to its end, so that a failure in a later one is raised too and no
    // unread reply is left for the driver to cancel.
    while (true) {
        SQLSMALLINT cols = 0;
        SQLNumResultCols(h, &cols);
        if (cols > 0) {
            SQLRETURN f;
            while ((f = SQLFetch(h)) != SQL_NO_DATA)
                stmt.check(f, "SQLFetch");
        }
        const SQLRETURN more = SQLMoreResults(h);
        if (more == SQL_NO_DATA)
            break;
        stmt.check(more, "SQLMoreResults");
    }
}

std::unique_ptr<DriverCursor> OdbcConnection::query(const QString& statement)
{
    auto stmt = newStatement();
    const InFlight running(*this, stmt->get());
    stmt->check(SQLExecDirectW(stmt->get(), const_cast<SQLWCHAR*>(wide(statement)),
                               SQLINTEGER(statement.size())),
                "SQLExecDirect");
    return std::make_unique<OdbcCursor>(std::move(stmt), m_cursors);
}

std::unique_ptr<DriverCursor> OdbcConnection::queryCounted(const QString& statement)
{
    static const QRegularExpression wholeTable(
        QStringLiteral("^\\s*SELECT\\s+\\*\\s+FROM\\s+(\\[(?:[^\\]]|\\]\\])+\\])\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = wholeTable.match(statement);
    if (!m.hasMatch())
        return query(statement);
    std::optional<qint64> rows;
    try {
        auto count = newStatement();
        const InFlight running(*this, count->get());
        const QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + m.captured(1);
        count->check(
            SQLExecDirectW(count->get(), const_cast<SQLWCHAR*>(wide(sql)), SQLINTEGER(sql.size())),
            "SQLExecDirect");
        SQLBIGINT n = 0;
        SQLLEN ind = 0;
        if (SQL_SUCCEEDED(SQLFetch(count->get())) &&
            SQL_SUCCEEDED(SQLGetData(count->get(), 1, SQL_C_SBIGINT, &n, sizeof n, &ind)) &&
            ind != SQL_NULL_DATA)
            rows = n;
        SQLFreeStmt(count->get(), SQL_CLOSE);
    } catch (const DataError&) {
        // The statement itself will say what is wrong; counting is only a shortcut.
    }
    auto cursor = query(statement);
    if (rows) {
        auto* odbc = static_cast<OdbcCursor*>(cursor.get());
        odbc->setKnownRowCount(*rows);
        odbc->startReadAhead();
    }
    return cursor;
}

std::unique_ptr<DriverCursor> OdbcConnection::tables()
{
    auto stmt = newStatement();
    const InFlight running(*this, stmt->get());
    stmt->check(SQLTablesW(stmt->get(), nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0),
                "SQLTables");
    return std::make_unique<OdbcCursor>(std::move(stmt), m_cursors);
}

} // namespace tabulex::odbc
