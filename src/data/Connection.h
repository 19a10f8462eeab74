#pragma once

#include "core/AdoTypes.h"
#include "core/Driver.h"

#include <QString>

#include <memory>
#include <optional>

namespace tabulex {

class Recordset;

// A database connection in the manner of an ADO Connection: set the properties, open with
// a connection string, execute statements, close. The connection string picks the driver.
// Every failure throws DataError; closing happens at destruction at the latest. A login or
// statement that may wait on a network runs through runBlocking (data/BlockingCall.h).
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    int cursorLocation = ado::adUseServer;
    int mode = 0;
    int commandTimeout = 30;
    int connectionTimeout = 15;
    // The code page the text of Paradox tables is read in (0: each table's own), from the
    // next open or statement on.
    void setTextCodePage(int codePage);

    void open(const QString& connectionString);
    void execute(const QString& statement);
    // Only the tables schema (20) is offered: fields TABLE_NAME and TABLE_TYPE among others.
    std::unique_ptr<Recordset> openSchema(int schema);
    int state() const { return m_driver ? ado::adStateOpen : ado::adStateClosed; }
    void close();

    // The open driver connection; throws DataError when closed.
    DriverConnection& driver();

    // tabulex-batch's --timeout: from now on every login and statement of the process waits
    // this long instead of its connection's own time-outs; nothing undoes it but nullopt.
    static void overrideTimeouts(std::optional<int> seconds);
    // The statement time-out in force: the override, else commandTimeout.
    int effectiveCommandTimeout() const;

private:
    std::unique_ptr<DriverConnection> m_driver;
    int m_textCodePage = 0;
};

} // namespace tabulex
