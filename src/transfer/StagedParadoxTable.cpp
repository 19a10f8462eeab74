#include "transfer/StagedParadoxTable.h"

#include "core/DataError.h"
#include "core/SqlQuoting.h"
#include "staging/ParadoxExport.h"
#include "staging/ParadoxFields.h"
#include "transfer/StagingRowTarget.h"

#include <QStringList>

namespace tabulex {

StagedParadoxTable::StagedParadoxTable(staging::StagingStore* store, QString table,
                                       QString paradoxName)
    : m_store(store), m_table(std::move(table)), m_paradoxName(std::move(paradoxName))
{
}

StagedParadoxTable::~StagedParadoxTable()
{
    if (!m_created)
        return;
    try {
        discard();
    } catch (...) {
        // A store that fails here goes with the run.
    }
}

void StagedParadoxTable::checkName() const { staging::checkParadoxTableName(m_paradoxName); }

void StagedParadoxTable::setFields(std::vector<staging::StagingField> fields, qint64 rows)
{
    staging::requireParadoxCapacity(m_paradoxName, fields, rows);
    m_fields = std::move(fields);
}

void StagedParadoxTable::dropLeftover() { discard(); }

void StagedParadoxTable::create()
{
    int codePage = m_codePage;
    bool alphaKey = false;
    for (int i = 0; i < m_shape.keyFields && size_t(i) < m_shape.order.size(); ++i) {
        const staging::ColumnType& type = m_fields[size_t(m_shape.order[size_t(i)])].type;
        alphaKey = alphaKey || type.paradoxType == paradox::FieldType::Alpha;
    }
    // The writer orders Alpha keys by the bytes of code page 1252 only.
    if (alphaKey && codePage != 0 && codePage != 1252)
        throw DataError(QStringLiteral("The key of %1 holds an Alpha field, which is written in "
                                       "code page 1252 only, not %2.")
                            .arg(m_paradoxName)
                            .arg(codePage));
    if (alphaKey)
        codePage = 1252;
    openedStore(m_store).createTable(m_table, m_fields, codePage);
    m_created = true;
}

int StagedParadoxTable::codePage() const
{
    const staging::StagingStore& store = openedStore(m_store);
    return store.hasTable(m_table) ? store.table(m_table).codePages.codePage() : m_codePage;
}

std::unique_ptr<RowTarget> StagedParadoxTable::rows(const std::vector<ColumnPlan>& columns,
                                                    QString& currentStatement)
{
    return std::make_unique<StagingRowTarget>(m_store, m_table, columns, currentStatement);
}

QString StagedParadoxTable::publishStatement(const QString& folder) const
{
    return QStringLiteral("select * into [Paradox 5.x;Database=") + folder + QStringLiteral("].[") +
           m_paradoxName + QStringLiteral(".db] from ") + bracketName(m_table);
}

void StagedParadoxTable::publish(const QString& folder, bool replace,
                                 const std::function<void()>& eachRow)
{
    staging::exportToParadox(openedStore(m_store), m_table, folder, m_paradoxName, replace, eachRow,
                             m_shape);
}

QString StagedParadoxTable::roundedValuesMessage() const
{
    const staging::StagingStore& store = openedStore(m_store);
    if (!store.hasTable(m_table))
        return {};
    const staging::StagingTable& t = store.table(m_table);
    QStringList lines;
    for (size_t i = 0; i < t.columns.size(); ++i)
        if (t.rounded[i] > 0)
            lines << QStringLiteral("%1 values of field %2 were rounded to whole milliseconds.")
                         .arg(t.rounded[i])
                         .arg(t.columns[i].name);
    return lines.join(u'\n');
}

qint64 StagedParadoxTable::roundedValues() const
{
    const staging::StagingStore& store = openedStore(m_store);
    if (!store.hasTable(m_table))
        return 0;
    qint64 n = 0;
    for (qint64 r : store.table(m_table).rounded)
        n += r;
    return n;
}

void StagedParadoxTable::discard()
{
    staging::StagingStore& store = openedStore(m_store);
    if (store.hasTable(m_table))
        store.dropTable(m_table);
    m_created = false;
}

} // namespace tabulex
