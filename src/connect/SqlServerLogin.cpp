#include "connect/SqlServerLogin.h"

#include "data/Connection.h"

namespace tabulex {

bool openSqlConnection(const QString& connectionString)
{
    try {
        Connection connection;
        connection.open(connectionString);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace tabulex
