#include "transfer/SqlTableSwap.h"

#include "core/DataError.h"
#include "core/SqlQuoting.h"
#include "core/StopRequest.h"
#include "data/BlockingCall.h"
#include "data/Connection.h"
#include "tables/SqlRunMark.h"
#include "transfer/SqlRowTarget.h"

#include <optional>

namespace tabulex {

namespace {

bool executeQuietly(Connection& c, const QString& statement)
{
    try {
        c.execute(statement);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

QString renameStatement(const QString& oldName, const QString& newName)
{
    return QStringLiteral("sp_rename ") + quotedText(bracketName(oldName)) + QStringLiteral(", ") +
           quotedText(newName);
}

SqlTableSwap::SqlTableSwap(Connection& connection, QString table, const QString& mark)
    : m_connection(connection), m_table(std::move(table)),
      m_building(markedTableName(m_table, QStringLiteral("new"), mark)),
      m_aside(markedTableName(m_table, QStringLiteral("old"), mark))
{
}

SqlTableSwap::~SqlTableSwap()
{
    if (m_built)
        discard();
}

void SqlTableSwap::create(QString& statement, const QString& head)
{
    // The statement names the table, or already the table being built (a second try).
    const QString built = QStringLiteral("CREATE TABLE ") + bracketName(m_building) + u'(';
    if (!statement.startsWith(built)) {
        if (!statement.startsWith(head))
            throw DataError(
                QStringLiteral("The statement does not create the table %1.").arg(m_table));
        statement = built + statement.mid(head.size());
    }
    m_connection.execute(statement);
    m_built = true;
}

QString SqlTableSwap::publishStatement() const { return renameStatement(m_building, m_table); }

void SqlTableSwap::publish(bool replace, QString& statement)
{
    // A table that is gone already needs no setting aside; a lost connection ends the table.
    if (replace) {
        statement = renameStatement(m_table, m_aside);
        try {
            m_connection.execute(statement);
            m_setAside = true;
        } catch (const DataError& e) {
            if (endsTheTable(e)) {
                discard();
                throw;
            }
        }
    }
    try {
        statement = publishStatement();
        m_connection.execute(statement);
        m_built = false;
    } catch (const DataError& e) {
        if (m_setAside)
            m_setAside = !executeQuietly(m_connection, renameStatement(m_aside, m_table));
        discard();
        if (!m_setAside)
            throw;
        // Say where the old table is when it could not take its name back.
        throw DataError(
            e.description() +
                QStringLiteral(" The old table %1 is kept as %2.").arg(m_table, m_aside),
            e.nativeError(), e.state());
    }
}

void SqlTableSwap::dropReplaced(QString& statement)
{
    if (!m_setAside)
        return;
    statement = QStringLiteral("DROP TABLE ") + bracketName(m_aside);
    m_connection.execute(statement);
    m_setAside = false;
}

void SqlTableSwap::discard()
{
    m_built = false;
    // A closing program still drops it, within a second or two.
    std::optional<CleanupAfterStop> cleanup;
    if (stopRequested())
        cleanup.emplace();
    executeQuietly(m_connection, QStringLiteral("DROP TABLE ") + bracketName(m_building));
}

} // namespace tabulex
