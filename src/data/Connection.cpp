#include "data/Connection.h"

#include "core/DataError.h"
#include "data/Recordset.h"
#include "data/DriverSelector.h"

namespace tabulex {

namespace {

DataError closedError()
{
    return DataError(QStringLiteral("Operation is not allowed when the object is closed."), 3704);
}

} // namespace

Connection::~Connection() = default;

void Connection::Open(const QString& connectionString)
{
    if (m_driver)
        throw DataError(QStringLiteral("Operation is not allowed when the object is open."), 3705);
    DriverOptions options;
    options.commandTimeout = CommandTimeout;
    options.connectionTimeout = ConnectionTimeout;
    m_driver = openDriverConnection(connectionString, options);
}

void Connection::Execute(const QString& statement)
{
    DriverConnection& d = driver();
    d.setCommandTimeout(CommandTimeout);
    d.execute(statement);
}

std::unique_ptr<Recordset> Connection::OpenSchema(int schema)
{
    if (schema != ado::adSchemaTables)
        throw DataError(QStringLiteral("Object or provider is not capable of performing requested "
                                       "operation."),
                        3251);
    auto rs = std::make_unique<Recordset>();
    rs->openCursor(driver().tables(), true);
    return rs;
}

void Connection::Close()
{
    if (!m_driver)
        throw closedError();
    m_driver.reset();
}

DriverConnection& Connection::driver()
{
    if (!m_driver)
        throw closedError();
    return *m_driver;
}

} // namespace tabulex
