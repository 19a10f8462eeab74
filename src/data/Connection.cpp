#include "data/Connection.h"

#include "core/ConnectionString.h"
#include "core/DataError.h"
#include "data/DriverSelector.h"
#include "data/Recordset.h"

namespace tabulex {

namespace {

DataError closedError()
{
    return DataError(QStringLiteral("Operation is not allowed when the object is closed."), 3704);
}

} // namespace

Connection::~Connection() = default;

void Connection::open(const QString& connectionString)
{
    if (m_driver)
        throw DataError(QStringLiteral("Operation is not allowed when the object is open."), 3705);
    DriverOptions options;
    options.commandTimeout = commandTimeout;
    options.connectionTimeout = connectionTimeout;
    // The one reading of the string: the driver takes its settings from the keys.
    m_driver = openDriverConnection(parseConnectionString(connectionString), options);
}

void Connection::execute(const QString& statement)
{
    DriverConnection& d = driver();
    d.setCommandTimeout(commandTimeout);
    d.execute(statement);
}

std::unique_ptr<Recordset> Connection::openSchema(int schema)
{
    if (schema != ado::adSchemaTables)
        throw DataError(QStringLiteral("Object or provider is not capable of performing requested "
                                       "operation."),
                        3251);
    auto rs = std::make_unique<Recordset>();
    rs->openCursor(driver().tables(), true);
    return rs;
}

void Connection::close()
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
