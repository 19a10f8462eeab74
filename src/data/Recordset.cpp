#include "data/Recordset.h"

#include "core/DataError.h"
#include "data/BlockingCall.h"
#include "data/Connection.h"
#include "data/RowSpool.h"

namespace tabulex {

namespace {

DataError closedError()
{
    return DataError(QStringLiteral("Operation is not allowed when the object is closed."), 3704);
}

} // namespace

const Field& Fields::operator[](int index) const
{
    if (index < 0 || index >= count())
        throw DataError(QStringLiteral("Item cannot be found in the collection corresponding to "
                                       "the requested name or ordinal."),
                        3265);
    return m_fields[size_t(index)];
}

const Field& Fields::operator[](const QString& name) const
{
    for (const Field& f : m_fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return f;
    throw DataError(QStringLiteral("Item cannot be found in the collection corresponding to the "
                                   "requested name or ordinal."),
                    3265);
}

Recordset::Recordset() = default;
Recordset::~Recordset() = default;

void Recordset::open(const QString& statement, Connection& connection, int cursorType, int)
{
    if (state() != ado::adStateClosed)
        throw DataError(QStringLiteral("Operation is not allowed when the object is open."), 3705);
    const bool counted = cursorLocation == ado::adUseClient ||
                         connection.cursorLocation == ado::adUseClient ||
                         cursorType == ado::adOpenStatic;
    DriverConnection& driver = connection.driver();
    driver.setCommandTimeout(connection.effectiveCommandTimeout());
    runDriverCall(driver, [&] {
        openCursor(counted ? driver.queryCounted(statement) : driver.query(statement), counted);
    });
}

void Recordset::openCursor(std::unique_ptr<DriverCursor> cursor, bool counted)
{
    m_fields.m_fields.clear();
    for (const ColumnInfo& c : cursor->columns())
        m_fields.m_fields.push_back(Field{c.name, c.adoType, Value(), c.definedSize, c.precision,
                                          c.scale, c.typeName, c.nativeSize, c.autoIncrement,
                                          c.keyField, c.required});
    m_row.assign(m_fields.m_fields.size(), Value());
    m_recordCount = -1;

    if (counted) {
        if (auto n = cursor->knownRowCount()) {
            m_recordCount = *n;
        } else {
            // Read every row to disk now, as a client-side cursor reads them at open.
            auto spool = std::make_unique<RowSpool>();
            while (cursor->fetch(m_row))
                spool->write(m_row);
            spool->rewind();
            m_recordCount = spool->rowCount();
            m_spool = std::move(spool);
            cursor.reset();
        }
    }
    m_cursor = std::move(cursor);
    readRow();
}

void Recordset::readRow()
{
    bool got = false;
    if (m_spool)
        got = m_spool->read(m_row);
    else
        runCursorCall(*m_cursor, [&] { got = m_cursor->fetch(m_row); });
    m_eof = !got;
    for (size_t i = 0; i < m_row.size(); ++i)
        m_fields.m_fields[i].value = got ? std::move(m_row[i]) : Value();
}

void Recordset::moveNext()
{
    if (state() == ado::adStateClosed)
        throw closedError();
    if (m_eof)
        throw DataError(QStringLiteral("Either BOF or EOF is True, or the current record has been "
                                       "deleted. Requested operation requires a current record."),
                        3021);
    readRow();
}

void Recordset::close()
{
    if (state() == ado::adStateClosed)
        throw closedError();
    m_cursor.reset();
    m_spool.reset();
    m_eof = true;
}

} // namespace tabulex
