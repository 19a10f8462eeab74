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
};

// Settings a caller gives before opening or running statements.
struct DriverOptions {
    int commandTimeout = 30;    // seconds; 0 means no limit
    int connectionTimeout = 15; // seconds; 0 means no limit
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
};

} // namespace tabulex
