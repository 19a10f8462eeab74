#include "connect/SqlServerLogin.h"

#include "core/StopRequest.h"
#include "data/Connection.h"

namespace tabulex {

bool openSqlConnection(const QString& connectionString)
{
    try {
        Connection connection;
        connection.open(connectionString);
        return true;
    } catch (const CommandStopped&) {
        throw; // not a failed login: the program is closing
    } catch (...) {
        return false;
    }
}

} // namespace tabulex
