#include "data/DriverSelector.h"

#include "core/DataError.h"
#include "drivers/odbc/OdbcConnection.h"
#include "drivers/paradox/ParadoxConnection.h"

namespace tabulex {

namespace {

const QString kParadoxDriver = QStringLiteral("Microsoft Paradox Driver (*.db )");

} // namespace

DriverKind driverKindFor(const ConnectionKeys& keys)
{
    // A provider names no ODBC driver, whatever else the string holds.
    if (keys.contains(u"PROVIDER"))
        return DriverKind::Unknown;
    if (const auto driver = keys.value(u"DRIVER")) {
        if (driver->compare(kParadoxDriver, Qt::CaseInsensitive) == 0)
            return DriverKind::Paradox;
        return DriverKind::Odbc;
    }
    return DriverKind::Unknown;
}

std::unique_ptr<DriverConnection> openDriverConnection(const ConnectionKeys& keys,
                                                       const DriverOptions& options)
{
    switch (driverKindFor(keys)) {
    case DriverKind::Odbc:
        return odbc::OdbcConnection::open(keys, options);
    case DriverKind::Paradox:
        return paradoxdriver::ParadoxConnection::open(keys, options);
    case DriverKind::Unknown:
        break;
    }
    throw DataError(QStringLiteral("No driver or provider is named in the connection string."));
}

} // namespace tabulex
