#pragma once

#include "core/AdoTypes.h"
#include "core/Driver.h"
#include "core/Value.h"

#include <QString>

#include <memory>
#include <vector>

namespace tabulex {

class Connection;
class RowSpool;

// One field of the current row: name, ADO type number, value (Null allowed) and the
// column's declared size, precision and scale.
struct Field {
    QString name;
    int type = 0;
    tabulex::Value value;
    qint64 definedSize = 0;
    int precision = 0;
    int numericScale = 0;
    QString typeName = {};      // the driver's ColumnInfo::typeName
    int nativeSize = 0;         // ColumnInfo::nativeSize
    bool autoIncrement = false; // ColumnInfo::autoIncrement
    bool keyField = false;      // ColumnInfo::keyField
    bool required = false;      // ColumnInfo::required
};

// The fields of a recordset's current row.
class Fields {
public:
    Fields() = default;
    explicit Fields(std::vector<Field> fields) : m_fields(std::move(fields)) {}
    int count() const { return int(m_fields.size()); }
    const Field& operator[](int index) const;
    const Field& operator[](const QString& name) const; // case-insensitive, as ADO
    auto begin() const { return m_fields.begin(); }
    auto end() const { return m_fields.end(); }

private:
    friend class Recordset;
    std::vector<Field> m_fields;
};

// Rows of a statement in the manner of an ADO Recordset. Rows are streamed: with a
// client-side cursor the row count is known at Open, from the driver or from a spool on
// disk, so memory stays bounded whatever the table size.
class Recordset {
public:
    Recordset();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    int cursorLocation = ado::adUseServer;

    // cursorType and lockType follow ADO; -1 leaves the defaults (forward-only, read-only).
    // A recordset opened on a client-side connection takes the client-side cursor too.
    void open(const QString& statement, Connection& connection, int cursorType = -1,
              int lockType = -1);

    // True after the last row (or at once for no rows).
    bool atEnd() const { return m_eof; }
    void moveNext();
    // The number of rows; -1 with a server-side cursor, as ADO reports it.
    qint64 recordCount() const { return m_recordCount; }
    int state() const { return m_cursor || m_spool ? ado::adStateOpen : ado::adStateClosed; }
    void close();

    const tabulex::Fields& fields() const { return m_fields; }

    // Takes an already open driver cursor (the tables schema uses this).
    void openCursor(std::unique_ptr<DriverCursor> cursor, bool clientSide);

private:
    void readRow();

    std::unique_ptr<DriverCursor> m_cursor;
    std::unique_ptr<RowSpool> m_spool;
    tabulex::Fields m_fields;
    std::vector<Value> m_row;
    qint64 m_recordCount = -1;
    bool m_eof = true;
};

} // namespace tabulex
