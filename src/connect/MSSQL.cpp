#include "connect/MSSQL.h"

#include "data/Connection.h"

namespace tabulex {

bool OpenSqlConnection(const QString& connectionString)
{
    try {
        Connection connection;
        connection.Open(connectionString);
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace tabulex
