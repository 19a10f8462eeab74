#pragma once

#include "core/Driver.h"
#include "staging/StagingSql.h"
#include "staging/StagingTypes.h"

#include <QString>

#include <map>
#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace tabulex::staging {

// One prepared SQLite statement, finalized at destruction.
class Statement3 {
public:
    Statement3(sqlite3* db, const QString& sql);
    ~Statement3();
    Statement3(const Statement3&) = delete;
    Statement3& operator=(const Statement3&) = delete;
    sqlite3_stmt* get() const { return m_stmt; }

private:
    sqlite3_stmt* m_stmt = nullptr;
};

struct StagingColumn {
    QString name;
    ColumnType type;
};

struct StagingTable {
    QString name; // as created
    QString sqliteName;
    std::vector<StagingColumn> columns;
    std::unique_ptr<Statement3> insert;
    // What the export needs to know of the stored text without reading it again: every
    // character beyond ASCII with the first column it appeared in (column names included,
    // as column -1), and each column's longest text in characters.
    std::map<char32_t, int> nonAscii;
    std::vector<int> longest;

    void noteText(int column, QStringView text);
};

// The staging tables of one connection: a scratch SQLite database in a per-user temporary
// folder, deleted when the connection closes. Tuned for scratch work: no journal, no fsync,
// one long transaction. Values are checked against their column's type before they are
// stored, so what the store holds is what the export writes.
class StagingStore {
public:
    StagingStore();
    ~StagingStore();
    StagingStore(const StagingStore&) = delete;
    StagingStore& operator=(const StagingStore&) = delete;

    void create(const CreateTable& c);
    void drop(const QString& table);
    void insert(const InsertRow& row) { insert(row.table, row.values); }
    void insert(const QString& table, const std::vector<Literal>& values);
    std::unique_ptr<DriverCursor> select(const QString& table, bool topOne);
    std::unique_ptr<DriverCursor> tables() const;

    // The table of that name (without regard to case); throws DataError when there is none.
    const StagingTable& table(const QString& name) const;
    StagingTable& table(const QString& name);
    // The stored rows of a table, in insertion order, as values of the columns' kinds.
    std::unique_ptr<DriverCursor> rows(const StagingTable& t) const;

    QString filePath() const { return m_path; }

private:
    void exec(const QString& sql) const;

    QString m_path;
    sqlite3* m_db = nullptr;
    std::map<QString, StagingTable> m_tables; // key: lower-case name
    int m_nextId = 0;
};

} // namespace tabulex::staging
