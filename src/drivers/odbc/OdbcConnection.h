#pragma once

#include "core/ConnectionString.h"
#include "core/Driver.h"

#include <QString>

#include <memory>

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

    // The string handed to SQLDriverConnect, written from the keys in their order, each value
    // in the form FreeTDS reads back to the same text: a server without port or instance gets
    // the default port, since FreeTDS has no portless local connection. Throws DataError for
    // a value that FreeTDS cannot read back (one holding "};").
    static QString driverConnectString(const ConnectionKeys& keys);

private:
    OdbcConnection();
    std::unique_ptr<Handle> newStatement();

    std::unique_ptr<Handle> m_dbc;
    std::shared_ptr<CursorRegistry> m_cursors;
    int m_commandTimeout = 30;
    std::unique_ptr<Handle> m_executor;
    int m_executorTimeout = -1;
    bool m_connected = false;
};

} // namespace tabulex::odbc
