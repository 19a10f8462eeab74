#pragma once

#include "core/Driver.h"
#include "drivers/odbc/OdbcHandle.h"
#include "drivers/odbc/ServerSocket.h"

#include <memory>
#include <optional>
#include <set>
#include <vector>

namespace tabulex::odbc {

class OdbcCursor;

// The cursors open on one connection: closing the connection first releases their statements,
// since the driver manager frees them with the connection. The socket, when found, lets the
// connection and its cursors end a wait from another thread.
struct CursorRegistry {
    std::set<OdbcCursor*> cursors;
    std::optional<ServerSocket> socket;
};

// The rows of one executed statement, read with SQLFetch and SQLGetData; long values are
// read in chunks, text always through the wide-character functions.
class OdbcCursor : public DriverCursor {
public:
    // Takes a statement handle that has just been executed on the registry's connection.
    OdbcCursor(std::unique_ptr<Handle> statement, std::shared_ptr<CursorRegistry> registry);
    ~OdbcCursor() override;

    const std::vector<ColumnInfo>& columns() const override { return m_columns; }
    bool fetch(std::vector<Value>& row) override;
    std::optional<qint64> knownRowCount() const override { return m_knownRows; }
    bool mayBlock() const override;
    void cancel() override;
    void interrupt() override;

    // The row count learned by the connection before the rows are read.
    void setKnownRowCount(qint64 rows) { m_knownRows = rows; }
    // Reads the rows ahead on a thread of its own, a bounded number at a time, so that
    // waiting for the server overlaps the caller's work on the rows already read.
    void startReadAhead();

    // Frees the statement before its connection goes; later fetches throw DataError.
    void release();

    // The ADO type number for an ODBC SQL type, as the OLE DB provider for ODBC reports it.
    static int adoTypeFor(SQLSMALLINT sqlType, SQLULEN columnSize, bool isUnsigned);

private:
    enum class Read { Bool, Int, Double, Single, Decimal, Text, Bytes, Date, Time, Timestamp };

    struct ReadAhead;

    bool fetchNow(std::vector<Value>& row);
    void stopReadAhead();
    Value readColumn(SQLUSMALLINT index, Read how);
    QString readText(SQLUSMALLINT index, bool& isNull);
    QByteArray readBytes(SQLUSMALLINT index, bool& isNull);

    std::unique_ptr<Handle> m_stmt;
    std::shared_ptr<CursorRegistry> m_registry;
    std::vector<ColumnInfo> m_columns;
    std::vector<Read> m_reads;
    std::vector<char16_t> m_wbuf;
    bool m_done = false;
    std::optional<qint64> m_knownRows;
    std::unique_ptr<ReadAhead> m_ahead;
};

} // namespace tabulex::odbc
