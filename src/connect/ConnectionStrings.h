#pragma once

#include <QString>

namespace tabulex {

// The connection window's fields as they stand, the source of both connection strings.
struct ConnectionFields {
    QString paradoxFolder;
    QString server;
    QString port;
    QString user;
    QString password;
    QString database;
    bool localConnection = false;
};

// The ODBC connection string of the "SQL Server" driver. The fields go in exactly as typed:
// nothing is trimmed, quoted or escaped, not even ";" in a password. A local connection
// leaves the port out.
QString sqlConnectionString(const ConnectionFields& fields);

// The Paradox connection string; the folder goes in twice, unquoted.
QString paradoxConnectionString(const QString& folder);

} // namespace tabulex
