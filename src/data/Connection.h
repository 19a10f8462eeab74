#pragma once

#include "core/AdoTypes.h"
#include "core/Driver.h"

#include <QString>

#include <memory>

namespace tabulex {

class Recordset;

// A database connection in the manner of an ADO Connection: set the properties, Open with
// a connection string, Execute statements, Close. The connection string picks the driver.
// Every failure throws DataError; closing happens at destruction at the latest.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int CursorLocation = ado::adUseServer;
    int Mode = 0;
    int CommandTimeout = 30;
    int ConnectionTimeout = 15;

    void Open(const QString& connectionString);
    void Execute(const QString& statement);
    // Only the tables schema (20) is offered: fields TABLE_NAME and TABLE_TYPE among others.
    std::unique_ptr<Recordset> OpenSchema(int schema);
    int State() const { return m_driver ? ado::adStateOpen : ado::adStateClosed; }
    void Close();

    // The open driver connection; throws DataError when closed.
    DriverConnection& driver();

private:
    std::unique_ptr<DriverConnection> m_driver;
};

} // namespace tabulex
