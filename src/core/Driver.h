#pragma once

#include "core/Value.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tabulex {

// What a driver knows of one result column.
struct ColumnInfo {
    QString name;
    int adoType = 0;        // ADO DataTypeEnum value
    qint64 definedSize = 0; // characters or bytes; 0 when unknown or unlimited
    int precision = 0;
    int scale = 0;
    // The source's own type: the server's type name ("money", "datetime2"), or the Paradox
    // field type's name ("Autoincrement", "Formatted Memo"); empty when the driver has none.
    QString typeName = {};
    int nativeSize = 0;         // the Paradox field's size byte (memo and BLOb: record part)
    bool autoIncrement = false; // an IDENTITY column, an Autoincrement field
    bool keyField = false;      // one of a keyed Paradox table's key fields
    bool required = false;      // a field its table's validity checks make required
};

// A forward-only stream of rows from a driver.
class DriverCursor {
public:
    virtual ~DriverCursor() = default;

    virtual const std::vector<ColumnInfo>& columns() const = 0;

    // Fills row (one value per column) and returns true, or returns false at the end.
    virtual bool fetch(std::vector<Value>& row) = 0;

    // The number of rows the cursor will deliver, when the driver knows it before the first
    // fetch without reading them all; the data access layer spools the rows otherwise.
    virtual std::optional<qint64> knownRowCount() const { return std::nullopt; }

    // True when the next fetch may wait on a network; the data access layer then waits for it
    // so that the front end keeps answering.
    virtual bool mayBlock() const { return false; }
    // From another thread while a fetch waits: cancel() asks the server to stop sending,
    // interrupt() ends the wait at once and loses the connection.
    virtual void cancel() {}
    virtual void interrupt() {}
};

// Settings a caller gives before opening or running statements.
struct DriverOptions {
    int commandTimeout = 30;    // seconds; 0 means no limit
    int connectionTimeout = 15; // seconds; 0 means no limit
    // The code page the text of Paradox tables is read in (0: each table's own).
    int textCodePage = 0;
};

// One open connection of a driver. Every failure throws DataError with the driver's text.
class DriverConnection {
public:
    virtual ~DriverConnection() = default;

    // Runs a statement and discards any result.
    virtual void execute(const QString& statement) = 0;

    // Runs a statement that returns rows.
    virtual std::unique_ptr<DriverCursor> query(const QString& statement) = 0;

    // The same, for a caller that needs the row count before the first row: a driver that
    // can learn it cheaply says so through the cursor's knownRowCount(); otherwise the data
    // access layer spools the rows to count them.
    virtual std::unique_ptr<DriverCursor> queryCounted(const QString& statement)
    {
        return query(statement);
    }

    // The tables catalogue: at least the columns TABLE_NAME and TABLE_TYPE.
    virtual std::unique_ptr<DriverCursor> tables() = 0;

    virtual void setCommandTimeout(int seconds) = 0;
    // The code page the text of the tables it opens from now on is read in (0: each table's
    // own); drivers whose text is Unicode ignore it.
    virtual void setTextCodePage(int) {}

    // True when its calls may wait on a network (see DriverCursor::mayBlock).
    virtual bool mayBlock() const { return false; }
    // From another thread while a call waits: cancel() asks the server to stop the statement
    // in hand and leaves the connection usable; interrupt() ends every wait of the connection
    // at once, and the connection with it.
    virtual void cancel() {}
    virtual void interrupt() {}
};

} // namespace tabulex
