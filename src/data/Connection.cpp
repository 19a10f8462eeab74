#include "data/Connection.h"

#include "core/ConnectionString.h"
#include "core/DataError.h"
#include "data/BlockingCall.h"
#include "data/DriverSelector.h"
#include "data/Recordset.h"

#include <atomic>

namespace tabulex {

namespace {

DataError closedError()
{
    return DataError(QStringLiteral("Operation is not allowed when the object is closed."), 3704);
}

// 0 for none: the connections' own time-outs hold.
std::atomic<int> g_timeoutOverride{0};

int effective(int seconds)
{
    const int override = g_timeoutOverride.load();
    return override > 0 ? override : seconds;
}

} // namespace

Connection::~Connection() = default;

void Connection::overrideTimeouts(std::optional<int> seconds)
{
    g_timeoutOverride.store(seconds.value_or(0));
}

int Connection::effectiveCommandTimeout() const { return effective(commandTimeout); }

void Connection::open(const QString& connectionString)
{
    if (m_driver)
        throw DataError(QStringLiteral("Operation is not allowed when the object is open."), 3705);
    DriverOptions options;
    options.commandTimeout = effective(commandTimeout);
    options.connectionTimeout = effective(connectionTimeout);
    options.textCodePage = m_textCodePage;
    // The one reading of the string: the driver takes its settings from the keys.
    const ConnectionKeys keys = parseConnectionString(connectionString);
    if (driverKindFor(keys) != DriverKind::Odbc) {
        m_driver = openDriverConnection(keys, options);
        return;
    }
    // The login owns what it works on, so that a closing program can leave it to itself.
    auto opened = std::make_shared<std::unique_ptr<DriverConnection>>();
    runBlocking(
        {[opened, keys, options] { *opened = openDriverConnection(keys, options); }, {}, {}, true});
    m_driver = std::move(*opened);
}

void Connection::setTextCodePage(int codePage)
{
    m_textCodePage = codePage;
    if (m_driver)
        m_driver->setTextCodePage(codePage);
}

void Connection::execute(const QString& statement)
{
    DriverConnection& d = driver();
    d.setCommandTimeout(effectiveCommandTimeout());
    runDriverCall(d, [&] { d.execute(statement); });
}

std::unique_ptr<Recordset> Connection::openSchema(int schema)
{
    if (schema != ado::adSchemaTables)
        throw DataError(QStringLiteral("Object or provider is not capable of performing requested "
                                       "operation."),
                        3251);
    auto rs = std::make_unique<Recordset>();
    DriverConnection& d = driver();
    runDriverCall(d, [&] { rs->openCursor(d.tables(), true); });
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
