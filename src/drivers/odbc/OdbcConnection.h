#pragma once

#include "core/ConnectionString.h"
#include "core/Driver.h"
#include "drivers/odbc/ServerSocket.h"

#include <QString>

#include <sqltypes.h>

#include <memory>
#include <mutex>

namespace tabulex::odbc {

class Handle;
struct CursorRegistry;

// A connection through the unixODBC driver manager, with the wide-character functions
// throughout so that text is exact whatever the process locale.
class OdbcConnection : public DriverConnection {
public:
    static std::unique_ptr<OdbcConnection> open(const ConnectionKeys& keys,
                                                const DriverOptions& options);
    ~OdbcConnection() override;

    void execute(const QString& statement) override;
    std::unique_ptr<DriverCursor> query(const QString& statement) override;
    // "SELECT * FROM table" learns its count with SELECT COUNT(*) first and then reads its
    // rows ahead while the caller works; any other statement is spooled by the caller.
    std::unique_ptr<DriverCursor> queryCounted(const QString& statement) override;
    std::unique_ptr<DriverCursor> tables() override;
    void setCommandTimeout(int seconds) override { m_commandTimeout = seconds; }
    bool mayBlock() const override { return true; }
    void cancel() override;
    void interrupt() override;

    // The string handed to SQLDriverConnect, written from the keys in their order, each value
    // in the form FreeTDS reads back to the same text: a server without port or instance gets
    // the default port, since FreeTDS has no portless local connection; the protocol version
    // is pinned, since FreeTDS's automatic choice retries a login that timed out with an older
    // protocol whose login never times out. Throws DataError for a value that FreeTDS cannot
    // read back (one holding "};").
    static QString driverConnectString(const ConnectionKeys& keys);

private:
    class InFlight;

    OdbcConnection();
    std::unique_ptr<Handle> newStatement();
    void findSocket(const ConnectionKeys& keys, const std::set<ino_t>& before);

    std::unique_ptr<Handle> m_dbc;
    std::shared_ptr<CursorRegistry> m_cursors;
    int m_commandTimeout = 30;
    std::unique_ptr<Handle> m_executor;
    int m_executorTimeout = -1;
    bool m_connected = false;
    // The statement a call is running now, for cancel() from another thread.
    std::mutex m_inFlightMutex;
    SQLHSTMT m_inFlight = nullptr;
};

} // namespace tabulex::odbc
