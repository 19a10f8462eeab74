#include "data/DriverSelector.h"

#include "core/ConnectionString.h"
#include "core/DataError.h"
#include "drivers/odbc/OdbcConnection.h"
#include "drivers/paradox/ParadoxConnection.h"

namespace tabulex {

namespace {

const QString kParadoxDriver = QStringLiteral("Microsoft Paradox Driver (*.db )");

} // namespace

DriverKind driverKindFor(const QString& connectionString)
{
    const auto keys = parseConnectionString(connectionString);
    // A provider names no ODBC driver, whatever else the string holds.
    if (keys.count(QStringLiteral("PROVIDER")))
        return DriverKind::Unknown;
    if (auto it = keys.find(QStringLiteral("DRIVER")); it != keys.end()) {
        if (it->second.compare(kParadoxDriver, Qt::CaseInsensitive) == 0)
            return DriverKind::Paradox;
        return DriverKind::Odbc;
    }
    return DriverKind::Unknown;
}

std::unique_ptr<DriverConnection> openDriverConnection(const QString& connectionString,
                                                       const DriverOptions& options)
{
    switch (driverKindFor(connectionString)) {
    case DriverKind::Odbc:
        return odbc::OdbcConnection::open(connectionString, options);
    case DriverKind::Paradox:
        return paradoxdriver::ParadoxConnection::open(connectionString, options);
    case DriverKind::Unknown:
        break;
    }
    throw DataError(QStringLiteral("No driver or provider is named in the connection string."));
}

} // namespace tabulex
