#pragma once

#include "core/DataError.h"
#include "core/Value.h"
#include "staging/StagingTypes.h"

#include "paradox/CodePage.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tabulex::staging {

// One prepared SQLite statement, finalized at destruction.
class PreparedStatement {
public:
    PreparedStatement(sqlite3* db, const QString& sql);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;
    sqlite3_stmt* get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

// A failure of the store itself (a full disk, say), as against a value it refuses.
class StoreFailure : public DataError {
public:
    using DataError::DataError;
};

// A field of a staging table: its name and the store's column type.
struct StagingField {
    QString name;
    ColumnType type;
};

// The longest text a column holds, as the export sizes an Alpha field for it.
struct TextExtent {
    int characters = 0;
    // Its bytes at most in a code page where a character beyond ASCII may take two.
    int wideBytes = 0;
    bool hasNul = false; // U+0000, which an Alpha field cannot hold
};

struct StagingTable {
    QString name; // as created
    QString sqliteName;
    std::vector<StagingField> columns;
    std::unique_ptr<PreparedStatement> insert;
    // What the export needs to know without reading the rows again: the code page, chosen
    // as the rows arrived, each column's longest text, and the number of rows.
    paradox::CodePageChoice codePages;
    std::vector<TextExtent> longest;
    qint64 rowCount = 0;
    // Per column: the stored values whose time was rounded to whole milliseconds.
    std::vector<qint64> rounded;
    // The values of the row stored last, as stored.
    std::vector<Value> stored;

    void noteText(int column, QStringView text);
};

// The staging tables of one run towards Paradox: a scratch SQLite database in a per-user
// temporary folder whose file is unlinked as soon as it is open, so that nothing of it is
// left however the process ends. Tuned for scratch work: no journal, no fsync,
// one long transaction. Values are checked against their column's type before they are
// stored, so what the store holds is what the export writes. Table names are matched
// without regard to case; every failure throws DataError, and StoreFailure where SQLite
// failed.
class StagingStore {
public:
    StagingStore();
    ~StagingStore();
    StagingStore(const StagingStore&) = delete;
    StagingStore& operator=(const StagingStore&) = delete;

    // A new table of these fields, in their order, whose Paradox table is written in the
    // code page (0: the one the rows choose, CodePageChoice). Refuses field names that the
    // code page (or no one code page) can hold.
    void createTable(const QString& table, const std::vector<StagingField>& fields,
                     int codePage = 0);
    void dropTable(const QString& table);
    bool hasTable(const QString& table) const;
    // One value per field, converted by convertValue; a value its field cannot hold, or text
    // that the table's code page cannot hold, fails the whole row with DataError, and nothing
    // of it is kept. A failure to store the row throws StoreFailure. The values as stored,
    // until the next row.
    const std::vector<Value>& addRow(const QString& table, const std::vector<Value>& values);

    // The table of that name; throws DataError when there is none.
    const StagingTable& table(const QString& name) const;
    // Hands each stored row of a table to row, in the order added, as values of the
    // columns' kinds.
    void readRows(const StagingTable& t,
                  const std::function<void(const std::vector<Value>&)>& row) const;

    // Where the file was made; it no longer has that name.
    QString filePath() const { return m_path; }

private:
    void exec(const QString& sql) const;
    StagingTable& writableTable(const QString& name);

    QString m_path;
    sqlite3* m_db = nullptr;
    std::map<QString, StagingTable> m_tables; // key: lower-case name
    int m_nextId = 0;
};

} // namespace tabulex::staging
