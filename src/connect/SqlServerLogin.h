#pragma once

#include <QString>

namespace tabulex {

// True when a connection opens with connectionString; it is closed again at once. Shows
// nothing: every failure, whatever its cause, gives false. Only CommandStopped passes.
bool openSqlConnection(const QString& connectionString);

} // namespace tabulex
