#include "drivers/odbc/OdbcCursor.h"

#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "core/StopRequest.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace tabulex::odbc {

namespace {

// FreeTDS's own codes for SQL Server's time and datetimeoffset.
constexpr SQLSMALLINT kSsTime2 = -154;
constexpr SQLSMALLINT kSsTimestampOffset = -155;

constexpr size_t kChunkChars = 32 * 1024;
constexpr auto kCancelGrace = std::chrono::milliseconds(500);

// "-.5" and ".5" as some drivers render them become "-0.5" and "0.5".
QString canonicalDecimal(QString s)
{
    s = s.trimmed();
    if (s.startsWith(u'.'))
        s.prepend(u'0');
    else if (s.startsWith(QLatin1String("-.")))
        s.insert(1, u'0');
    return s;
}

} // namespace

int OdbcCursor::adoTypeFor(SQLSMALLINT sqlType, SQLULEN columnSize, bool isUnsigned)
{
    using namespace ado;
    switch (sqlType) {
    case SQL_CHAR:
        return adChar;
    case SQL_VARCHAR:
        return columnSize == 0 ? adLongVarChar : adVarChar;
    case SQL_LONGVARCHAR:
        return adLongVarChar;
    case SQL_WCHAR:
        return adWChar;
    case SQL_WVARCHAR:
        return columnSize == 0 ? adLongVarWChar : adVarWChar;
    case SQL_WLONGVARCHAR:
        return adLongVarWChar;
    case SQL_SMALLINT:
        return adSmallInt;
    case SQL_INTEGER:
        return adInteger;
    case SQL_BIGINT:
        return adBigInt;
    case SQL_TINYINT:
        // SQL Server's tinyint is unsigned; the driver says so for it alone.
        return isUnsigned ? adUnsignedTinyInt : adTinyInt;
    case SQL_BIT:
        return adBoolean;
    case SQL_REAL:
        return adSingle;
    case SQL_FLOAT:
    case SQL_DOUBLE:
        return adDouble;
    case SQL_DECIMAL:
    case SQL_NUMERIC:
        return adNumeric;
    case SQL_TYPE_DATE:
    case SQL_DATE:
        return adDBDate;
    case SQL_TYPE_TIME:
    case SQL_TIME:
    case kSsTime2:
        return adDBTime;
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
        return adDBTimeStamp;
    case SQL_BINARY:
        return adBinary;
    case SQL_VARBINARY:
        return columnSize == 0 ? adLongVarBinary : adVarBinary;
    case SQL_LONGVARBINARY:
        return adLongVarBinary;
    case SQL_GUID:
        return adGUID;
    case kSsTimestampOffset:
        return adVarWChar;
    default:
        return adVarWChar;
    }
}

OdbcCursor::OdbcCursor(std::unique_ptr<Handle> statement, std::shared_ptr<CursorRegistry> registry)
    : m_stmt(std::move(statement)), m_registry(std::move(registry)), m_wbuf(kChunkChars + 1)
{
    SQLHSTMT h = m_stmt->get();
    SQLSMALLINT count = 0;
    m_stmt->check(SQLNumResultCols(h, &count), "SQLNumResultCols");
    m_done = count == 0;
    for (SQLUSMALLINT i = 1; i <= SQLUSMALLINT(count); ++i) {
        SQLWCHAR name[512] = {};
        SQLSMALLINT nameLen = 0, sqlType = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        m_stmt->check(SQLDescribeColW(h, i, name, SQLSMALLINT(std::size(name)), &nameLen, &sqlType,
                                      &size, &digits, &nullable),
                      "SQLDescribeCol");
        SQLLEN isUnsigned = SQL_FALSE;
        SQLColAttributeW(h, i, SQL_DESC_UNSIGNED, nullptr, 0, nullptr, &isUnsigned);
        SQLLEN isIdentity = SQL_FALSE;
        SQLColAttributeW(h, i, SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0, nullptr, &isIdentity);
        SQLWCHAR typeName[64] = {};
        SQLSMALLINT typeNameBytes = 0;
        if (!SQL_SUCCEEDED(SQLColAttributeW(h, i, SQL_DESC_TYPE_NAME, typeName,
                                            SQLSMALLINT(sizeof typeName), &typeNameBytes, nullptr)))
            typeNameBytes = 0;

        ColumnInfo c;
        c.name = QString::fromUtf16(reinterpret_cast<const char16_t*>(name),
                                    std::min<qsizetype>(nameLen, qsizetype(std::size(name)) - 1));
        c.adoType = adoTypeFor(sqlType, size, isUnsigned == SQL_TRUE);
        c.definedSize = qint64(size);
        c.precision = sqlType == SQL_DECIMAL || sqlType == SQL_NUMERIC ? int(size) : 0;
        c.scale = digits;
        c.typeName =
            QString::fromUtf16(reinterpret_cast<const char16_t*>(typeName),
                               std::clamp<qsizetype>(typeNameBytes / qsizetype(sizeof(SQLWCHAR)), 0,
                                                     qsizetype(std::size(typeName)) - 1));
        c.autoIncrement = isIdentity == SQL_TRUE;
        m_columns.push_back(c);

        switch (sqlType) {
        case SQL_BIT:
            m_reads.push_back(Read::Bool);
            break;
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            m_reads.push_back(Read::Int);
            break;
        case SQL_REAL:
            m_reads.push_back(Read::Single);
            break;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            m_reads.push_back(Read::Double);
            break;
        case SQL_DECIMAL:
        case SQL_NUMERIC:
            m_reads.push_back(Read::Decimal);
            break;
        case SQL_TYPE_DATE:
        case SQL_DATE:
            m_reads.push_back(Read::Date);
            break;
        case SQL_TYPE_TIME:
        case SQL_TIME:
        case kSsTime2:
            m_reads.push_back(Read::Time);
            break;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            m_reads.push_back(Read::Timestamp);
            break;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            m_reads.push_back(Read::Bytes);
            break;
        default:
            m_reads.push_back(Read::Text);
            break;
        }
    }
    // Registered last: a constructor that throws leaves nothing behind.
    m_registry->cursors.insert(this);
}

// The rows read ahead and the thread that reads them.
struct OdbcCursor::ReadAhead {
    static constexpr size_t kMaxRows = 1024;
    static constexpr size_t kMaxBytes = 8 << 20;

    std::thread worker;
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::pair<std::vector<Value>, size_t>> rows; // a row and its size in bytes
    size_t bytes = 0;
    bool finished = false;
    bool stop = false;
    bool exited = false;
    std::exception_ptr error;
};

namespace {

size_t sizeOf(const std::vector<Value>& row)
{
    size_t n = 0;
    for (const Value& v : row) {
        n += sizeof(Value);
        if (v.kind() == Value::Kind::Text)
            n += size_t(v.toString().size()) * sizeof(QChar);
        else if (v.kind() == Value::Kind::Bytes)
            n += size_t(v.toBytes().size());
    }
    return n;
}

} // namespace

void OdbcCursor::startReadAhead()
{
    if (m_ahead || !m_stmt)
        return;
    m_ahead = std::make_unique<ReadAhead>();
    m_ahead->worker = std::thread([this, ahead = m_ahead.get()] {
        struct Exit {
            ReadAhead* ahead;
            ~Exit()
            {
                const std::lock_guard lock(ahead->mutex);
                ahead->exited = true;
                ahead->changed.notify_all();
            }
        } exit{ahead};
        while (true) {
            std::vector<Value> row;
            bool got = false;
            try {
                got = fetchNow(row);
            } catch (...) {
                const std::lock_guard lock(ahead->mutex);
                ahead->error = std::current_exception();
                ahead->finished = true;
                ahead->changed.notify_all();
                return;
            }
            std::unique_lock lock(ahead->mutex);
            if (!got) {
                ahead->finished = true;
                ahead->changed.notify_all();
                return;
            }
            const size_t size = sizeOf(row);
            ahead->bytes += size;
            ahead->rows.emplace_back(std::move(row), size);
            ahead->changed.notify_all();
            ahead->changed.wait(lock, [ahead] {
                return ahead->stop || (ahead->rows.size() < ReadAhead::kMaxRows &&
                                       ahead->bytes < ReadAhead::kMaxBytes);
            });
            if (ahead->stop)
                return;
        }
    });
}

void OdbcCursor::stopReadAhead()
{
    if (!m_ahead)
        return;
    {
        const std::lock_guard lock(m_ahead->mutex);
        m_ahead->stop = true;
        // A fetch still waiting for the server is cancelled.
        if (!m_ahead->finished && m_stmt)
            SQLCancel(m_stmt->get());
    }
    m_ahead->changed.notify_all();
    // Once the program is closing, a server that does not answer the cancel is not waited for.
    if (stopRequested()) {
        std::unique_lock lock(m_ahead->mutex);
        if (!m_ahead->changed.wait_for(lock, kCancelGrace, [this] { return m_ahead->exited; }))
            interrupt();
    }
    m_ahead->worker.join();
    m_ahead.reset();
}

OdbcCursor::~OdbcCursor()
{
    stopReadAhead();
    m_registry->cursors.erase(this);
    // Closing a statement with unread rows makes the driver cancel it on the server.
    if (m_stmt)
        SQLFreeStmt(m_stmt->get(), SQL_CLOSE);
}

void OdbcCursor::release()
{
    stopReadAhead();
    if (m_stmt)
        SQLFreeStmt(m_stmt->get(), SQL_CLOSE);
    m_stmt.reset();
}

bool OdbcCursor::mayBlock() const
{
    if (!m_ahead)
        return m_stmt && !m_done;
    const std::lock_guard lock(m_ahead->mutex);
    return m_ahead->rows.empty() && !m_ahead->finished;
}

void OdbcCursor::cancel()
{
    if (m_stmt)
        SQLCancel(m_stmt->get());
}

void OdbcCursor::interrupt()
{
    if (m_registry->socket)
        m_registry->socket->shutDown();
}

bool OdbcCursor::fetch(std::vector<Value>& row)
{
    if (!m_ahead)
        return fetchNow(row);
    std::unique_lock lock(m_ahead->mutex);
    m_ahead->changed.wait(lock, [this] { return !m_ahead->rows.empty() || m_ahead->finished; });
    if (!m_ahead->rows.empty()) {
        row = std::move(m_ahead->rows.front().first);
        m_ahead->bytes -= m_ahead->rows.front().second;
        m_ahead->rows.pop_front();
        m_ahead->changed.notify_all();
        return true;
    }
    if (m_ahead->error)
        std::rethrow_exception(std::exchange(m_ahead->error, nullptr));
    return false;
}

bool OdbcCursor::fetchNow(std::vector<Value>& row)
{
    if (!m_stmt)
        throw DataError(QStringLiteral("Operation is not allowed when the object is closed."),
                        3704);
    if (m_done)
        return false;
    const SQLRETURN rc = SQLFetch(m_stmt->get());
    if (rc == SQL_NO_DATA) {
        m_done = true;
        // Drain any further results so that errors after the rows are not lost.
        while (true) {
            const SQLRETURN more = SQLMoreResults(m_stmt->get());
            if (more == SQL_NO_DATA)
                break;
            m_stmt->check(more, "SQLMoreResults");
        }
        return false;
    }
    m_stmt->check(rc, "SQLFetch");
    row.resize(m_columns.size());
    for (size_t i = 0; i < m_columns.size(); ++i)
        row[i] = readColumn(SQLUSMALLINT(i + 1), m_reads[i]);
    return true;
}

Value OdbcCursor::readColumn(SQLUSMALLINT index, Read how)
{
    SQLHSTMT h = m_stmt->get();
    SQLLEN ind = 0;
    switch (how) {
    case Read::Bool: {
        unsigned char b = 0;
        m_stmt->check(SQLGetData(h, index, SQL_C_BIT, &b, sizeof b, &ind), "SQLGetData");
        return ind == SQL_NULL_DATA ? Value() : Value(b != 0);
    }
    case Read::Int: {
        SQLBIGINT i = 0;
        m_stmt->check(SQLGetData(h, index, SQL_C_SBIGINT, &i, sizeof i, &ind), "SQLGetData");
        return ind == SQL_NULL_DATA ? Value() : Value(std::int64_t(i));
    }
    case Read::Single: {
        float f = 0;
        m_stmt->check(SQLGetData(h, index, SQL_C_FLOAT, &f, sizeof f, &ind), "SQLGetData");
        return ind == SQL_NULL_DATA ? Value() : Value(f);
    }
    case Read::Double: {
        double d = 0;
        m_stmt->check(SQLGetData(h, index, SQL_C_DOUBLE, &d, sizeof d, &ind), "SQLGetData");
        return ind == SQL_NULL_DATA ? Value() : Value(d);
    }
    case Read::Bytes: {
        bool isNull = false;
        QByteArray b = readBytes(index, isNull);
        return isNull ? Value() : Value(std::move(b));
    }
    default:
        break;
    }
    bool isNull = false;
    QString s = readText(index, isNull);
    if (isNull)
        return {};
    switch (how) {
    case Read::Decimal:
        return Value(Decimal{canonicalDecimal(s)});
    case Read::Date: {
        Date d;
        if (parseDate(s, d))
            return Value(d);
        break;
    }
    case Read::Time: {
        Time t;
        if (parseTime(s, t))
            return Value(t);
        break;
    }
    case Read::Timestamp: {
        Timestamp ts;
        const int n = parseDate(s, ts.date);
        if (n && n < s.size() && parseTime(QStringView(s).mid(n + 1), ts.time))
            return Value(ts);
        break;
    }
    default:
        return Value(std::move(s));
    }
    throw DataError(QStringLiteral("The driver returned the value '%1' that is not a valid date "
                                   "or time.")
                        .arg(s));
}

QString OdbcCursor::readText(SQLUSMALLINT index, bool& isNull)
{
    SQLHSTMT h = m_stmt->get();
    QString out;
    const SQLLEN bufBytes = SQLLEN((kChunkChars + 1) * sizeof(char16_t));
    while (true) {
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(h, index, SQL_C_WCHAR, m_wbuf.data(), bufBytes, &ind);
        if (rc == SQL_NO_DATA)
            break;
        m_stmt->check(rc, "SQLGetData");
        if (ind == SQL_NULL_DATA) {
            isNull = true;
            return {};
        }
        // A full buffer holds kChunkChars characters and the terminator.
        const bool partial = ind == SQL_NO_TOTAL || ind >= bufBytes;
        const size_t chars = partial ? kChunkChars : size_t(ind) / sizeof(char16_t);
        out.append(reinterpret_cast<const QChar*>(m_wbuf.data()), qsizetype(chars));
        if (rc == SQL_SUCCESS)
            break;
    }
    isNull = false;
    return out;
}

QByteArray OdbcCursor::readBytes(SQLUSMALLINT index, bool& isNull)
{
    SQLHSTMT h = m_stmt->get();
    QByteArray out;
    char buf[64 * 1024];
    while (true) {
        SQLLEN ind = 0;
        const SQLRETURN rc = SQLGetData(h, index, SQL_C_BINARY, buf, sizeof buf, &ind);
        if (rc == SQL_NO_DATA)
            break;
        m_stmt->check(rc, "SQLGetData");
        if (ind == SQL_NULL_DATA) {
            isNull = true;
            return {};
        }
        const bool partial = ind == SQL_NO_TOTAL || ind > SQLLEN(sizeof buf);
        out.append(buf, partial ? qsizetype(sizeof buf) : qsizetype(ind));
        if (rc == SQL_SUCCESS)
            break;
    }
    isNull = false;
    return out;
}

} // namespace tabulex::odbc
