#include "transfer/SqlTableSwap.h"

#include "core/DataError.h"
#include "core/SqlQuoting.h"
#include "core/StopRequest.h"
#include "data/BlockingCall.h"
#include "data/Connection.h"

#include <QRandomGenerator>

#include <optional>

namespace tabulex {

namespace {

// SQL Server names hold 128 characters.
constexpr qsizetype kMaxName = 128;

QString markedName(const QString& table, const char* role)
{
    const quint64 mark = QRandomGenerator::system()->generate64();
    const QString tail = QStringLiteral("~tabulex-%1-").arg(QLatin1String(role)) +
                         QString::number(mark, 16).rightJustified(16, u'0');
    qsizetype room = kMaxName - tail.size();
    // Never half a surrogate pair.
    if (room < table.size() && room > 0 && table[room - 1].isHighSurrogate())
        --room;
    return table.left(room) + tail;
}

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

SqlTableSwap::SqlTableSwap(Connection& connection, QString table)
    : m_connection(connection), m_table(std::move(table)), m_building(markedName(m_table, "new")),
      m_aside(markedName(m_table, "old"))
{
}

SqlTableSwap::~SqlTableSwap()
{
    if (m_built)
        discard();
}

void SqlTableSwap::create(const QString& statement, const QString& head)
{
    if (!statement.startsWith(head))
        throw DataError(QStringLiteral("The statement does not create the table %1.").arg(m_table));
    try {
        m_connection.execute(QStringLiteral("CREATE TABLE ") + bracketName(m_building) + u'(' +
                             statement.mid(head.size()));
        m_built = true;
    } catch (const DataError& e) {
        QString text = e.description();
        throw DataError(text.replace(m_building, m_table), e.nativeError(), e.state());
    }
}

QString SqlTableSwap::publishStatement() const { return renameStatement(m_building, m_table); }

void SqlTableSwap::publish(bool replace)
{
    // A table that is gone already needs no setting aside.
    m_setAside = replace && executeQuietly(m_connection, renameStatement(m_table, m_aside));
    try {
        m_connection.execute(publishStatement());
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
