#pragma once

#include "core/Driver.h"
#include "paradox/TableStamp.h"
#include "paradox/Value.h"

#include <QString>

#include <filesystem>
#include <memory>
#include <optional>

namespace paradox {
class TableReader;
struct TableShape;
} // namespace paradox

namespace tabulex::paradoxdriver {

// The rows of one Paradox table, streamed from its file; the row count comes from the
// header (or from whoever salvaged the table), so the data access layer needs no spool. A
// table whose files change while it is read to its end (stamp taken before the reader opened
// it) fails with kSourceChangedError.
class ParadoxCursor : public DriverCursor {
public:
    // `table` is the name the statement gave, for messages; `limit` -1 for every row;
    // `shape` marks the key and required fields, when it could be read; `records` the count in
    // place of the header's.
    ParadoxCursor(std::unique_ptr<paradox::TableReader> reader, QString table, qint64 limit,
                  std::filesystem::path dbFile = {}, paradox::TableStamp stamp = {},
                  const paradox::TableShape* shape = nullptr,
                  std::optional<qint64> records = std::nullopt);
    ~ParadoxCursor() override;

    const std::vector<ColumnInfo>& columns() const override { return m_columns; }
    bool fetch(std::vector<Value>& row) override;
    std::optional<qint64> knownRowCount() const override { return m_count; }

private:
    // Throws kSourceChangedError when the files no longer match the stamp.
    void requireUnchanged() const;

    std::unique_ptr<paradox::TableReader> m_reader;
    std::filesystem::path m_dbFile;
    paradox::TableStamp m_stamp;
    QString m_table;
    std::vector<ColumnInfo> m_columns;
    std::vector<paradox::Value> m_row;
    qint64 m_count = 0;
    qint64 m_limit = -1;
    qint64 m_fetched = 0;
};

// The text of a library error as the driver reports it: the table and the cause.
QString tableError(const QString& table, const QString& cause);

} // namespace tabulex::paradoxdriver
