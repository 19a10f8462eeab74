#include "data/DriverSelector.h"

#include "core/ConnectionString.h"
#include "core/DataError.h"
#include "drivers/odbc/OdbcConnection.h"
#include "drivers/paradox/ParadoxConnection.h"
#include "staging/StagingConnection.h"

namespace tabulex {

namespace {

const QString kParadoxDriver = QStringLiteral("Microsoft Paradox Driver (*.db )");
const QString kStagingProvider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");

} // namespace

DriverKind driverKindFor(const QString& connectionString)
{
    const auto keys = parseConnectionString(connectionString);
    if (auto it = keys.find(QStringLiteral("PROVIDER")); it != keys.end())
        return it->second.compare(kStagingProvider, Qt::CaseInsensitive) == 0 ? DriverKind::Staging
                                                                              : DriverKind::Unknown;
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
    case DriverKind::Staging:
        return staging::StagingConnection::open(connectionString);
    case DriverKind::Unknown:
        break;
    }
    throw DataError(QStringLiteral("No driver or provider is named in the connection string."));
}

} // namespace tabulex
