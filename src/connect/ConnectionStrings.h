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

// The ODBC connection string of the "SQL Server" driver. The fields go in as typed, nothing
// trimmed; a value with ";", "{", "}" or a blank at either end goes in braces with "}"
// doubled, so that any password reaches the server as it is. A local connection leaves the
// port out.
QString sqlConnectionString(const ConnectionFields& fields);

// A window's title: the product title, then what the fields name: "Tabulex - shop on
// 127.0.0.1 / /srv/paradox". The product title alone while server and folder are empty.
QString connectionTitle(const ConnectionFields& fields);

// The Paradox connection string; the folder goes in twice, quoted as the SQL Server values.
QString paradoxConnectionString(const QString& folder);

} // namespace tabulex
