#pragma once

#include "app/Driver.h"
#include "drivers/odbc/OdbcHandle.h"

#include <memory>
#include <vector>

namespace tabulex::odbc {

// The rows of one executed statement, read with SQLFetch and SQLGetData; long values are
// read in chunks, text always through the wide-character functions.
class OdbcCursor : public DriverCursor {
public:
    // Takes a statement handle that has just been executed.
    explicit OdbcCursor(std::unique_ptr<Handle> statement);
    ~OdbcCursor() override;

    const std::vector<ColumnInfo>& columns() const override { return m_columns; }
    bool fetch(std::vector<Value>& row) override;

    // The ADO type number for an ODBC SQL type, as the OLE DB provider for ODBC reports it.
    static int adoTypeFor(SQLSMALLINT sqlType, SQLULEN columnSize, bool isUnsigned);

private:
    enum class Read { Bool, Int, Double, Single, Decimal, Text, Bytes, Date, Time, Timestamp };

    Value readColumn(SQLUSMALLINT index, Read how);
    QString readText(SQLUSMALLINT index, bool& isNull);
    QByteArray readBytes(SQLUSMALLINT index, bool& isNull);

    std::unique_ptr<Handle> m_stmt;
    std::vector<ColumnInfo> m_columns;
    std::vector<Read> m_reads;
    std::vector<char16_t> m_wbuf;
    bool m_done = false;
};

} // namespace tabulex::odbc
