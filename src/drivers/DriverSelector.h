#pragma once

#include "app/Driver.h"

#include <QString>

#include <map>
#include <memory>

namespace tabulex {

// The keys and values of a connection string "Key=value;Key={value};", keys upper-cased.
// Used only to pick a driver; each driver reads the string itself.
std::map<QString, QString> parseConnectionString(const QString& connectionString);

enum class DriverKind { Odbc, Paradox, Staging, Unknown };

// Picks the driver for a connection string, as ADO picks a provider.
DriverKind driverKindFor(const QString& connectionString);

// Opens a connection with the driver the string names; throws DataError on failure.
std::unique_ptr<DriverConnection> openDriverConnection(const QString& connectionString,
                                                       const DriverOptions& options);

} // namespace tabulex
