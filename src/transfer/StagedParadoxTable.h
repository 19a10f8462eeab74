#pragma once

#include "staging/ParadoxExport.h"
#include "staging/StagingStore.h"
#include "transfer/TypeMapping.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace tabulex {

class RowTarget;

// A table towards Paradox is built in the run's staging store under the source's name and
// written into the folder as one Paradox table only once it is complete: with or without
// replacing a table of that name there. The staging table goes when the table is done with,
// however that happens. Each step throws DataError; on a store that could not be made, as a
// closed connection does.
class StagedParadoxTable {
public:
    StagedParadoxTable(staging::StagingStore* store, QString table, QString paradoxName);
    ~StagedParadoxTable();
    StagedParadoxTable(const StagedParadoxTable&) = delete;
    StagedParadoxTable& operator=(const StagedParadoxTable&) = delete;

    const QString& paradoxName() const { return m_paradoxName; }
    // "Bad file name or number" for a name that cannot be a table file of the folder.
    void checkName() const;
    // Takes the table's fields; refuses them when no Paradox table holds `rows` rows of them
    // (a count below 0 is not known and passes).
    void setFields(std::vector<staging::StagingField> fields, qint64 rows);
    // How the export lays the table out (the faithful mapping's key fields first).
    void setShape(staging::ExportShape shape) { m_shape = std::move(shape); }
    // The code page the table is written in (0: the one its rows choose). A table whose key
    // holds an Alpha field is written in code page 1252 only.
    void setCodePage(int codePage) { m_codePage = codePage; }
    // The code page the rows chose or were given, while the staging table is there.
    int codePage() const;
    // Drops a staging table left over under this name.
    void dropLeftover();
    // The staging table of the fields set.
    void create();
    // Where the rows go: the staging table, with the statements of `columns` for reports.
    std::unique_ptr<RowTarget> rows(const std::vector<ColumnPlan>& columns,
                                    QString& currentStatement);

    // The export as the staging database would have run it, for the reports.
    QString publishStatement(const QString& folder) const;
    // Writes the table into the folder; eachRow runs after every row written, and what it
    // throws ends the writing with nothing placed.
    void publish(const QString& folder, bool replace, const std::function<void()>& eachRow);
    // The message for each field whose times were rounded to whole milliseconds; empty when
    // none was.
    QString roundedValuesMessage() const;
    // How many values were rounded so, in all.
    qint64 roundedValues() const;
    // Drops the staging table (where there is one).
    void discard();

private:
    staging::StagingStore* m_store;
    QString m_table;
    QString m_paradoxName;
    std::vector<staging::StagingField> m_fields;
    staging::ExportShape m_shape;
    int m_codePage = 0;
    bool m_created = false; // created and not yet dropped
};

} // namespace tabulex
