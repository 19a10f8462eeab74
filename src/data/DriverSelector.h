#pragma once

#include "core/ConnectionString.h"
#include "core/Driver.h"

#include <QString>

#include <map>
#include <memory>

namespace tabulex {

enum class DriverKind { Odbc, Paradox, Unknown };

// Picks the driver for a connection string, as ADO picks a provider.
DriverKind driverKindFor(const QString& connectionString);

// Opens a connection with the driver the string names; throws DataError on failure.
std::unique_ptr<DriverConnection> openDriverConnection(const QString& connectionString,
                                                       const DriverOptions& options);

} // namespace tabulex
