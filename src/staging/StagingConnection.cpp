#include "staging/StagingConnection.h"

#include "core/DataError.h"
#include "core/ConnectionString.h"
#include "staging/ParadoxExport.h"

namespace tabulex::staging {

std::unique_ptr<StagingConnection> StagingConnection::open(const QString& connectionString)
{
    const auto keys = parseConnectionString(connectionString);
    if (!keys.count(QStringLiteral("DATA SOURCE")))
        throw DataError(QStringLiteral("The staging connection string names no Data Source."));
    return std::unique_ptr<StagingConnection>(new StagingConnection);
}

void StagingConnection::execute(const QString& sql)
{
    const Statement s = parseStatement(sql);
    if (auto* c = std::get_if<CreateTable>(&s))
        m_store.create(*c);
    else if (auto* d = std::get_if<DropTable>(&s))
        m_store.drop(d->table);
    else if (auto* i = std::get_if<InsertRow>(&s))
        m_store.insert(*i);
    else if (auto* e = std::get_if<ExportTable>(&s))
        exportToParadox(m_store, *e);
    else
        query(sql); // a SELECT run for nothing
}

std::unique_ptr<DriverCursor> StagingConnection::query(const QString& sql)
{
    const Statement s = parseStatement(sql);
    if (auto* sel = std::get_if<SelectRows>(&s))
        return m_store.select(sel->table, sel->topOne);
    throw DataError(QStringLiteral("The statement returns no rows: %1").arg(sql.left(80)));
}

} // namespace tabulex::staging
