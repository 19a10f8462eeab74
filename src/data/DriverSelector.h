#pragma once

#include "core/ConnectionString.h"
#include "core/Driver.h"

#include <memory>

namespace tabulex {

enum class DriverKind { Odbc, Paradox, Unknown };

// Picks the driver for a connection string's keys, as ADO picks a provider.
DriverKind driverKindFor(const ConnectionKeys& keys);

// Opens a connection with the driver the keys name; throws DataError on failure.
std::unique_ptr<DriverConnection> openDriverConnection(const ConnectionKeys& keys,
                                                       const DriverOptions& options);

} // namespace tabulex
