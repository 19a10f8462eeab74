#pragma once

#include <QString>

namespace tabulex {

// True when a connection opens with connectionString; it is closed again at once. Never
// throws and shows nothing: every failure, whatever its cause, gives false.
bool openSqlConnection(const QString& connectionString);

} // namespace tabulex
