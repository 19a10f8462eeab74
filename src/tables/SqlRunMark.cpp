#include "tables/SqlRunMark.h"

#include "core/AdoTypes.h"
#include "core/DataError.h"
#include "core/SqlQuoting.h"
#include "data/Connection.h"
#include "data/Recordset.h"

#include <QHash>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSet>

namespace tabulex {

namespace {

// SQL Server names hold 128 characters.
constexpr qsizetype kMaxName = 128;

const QRegularExpression& markedPattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("\\A(.*)~tabulex-(new|old)-([0-9a-f]{16})\\z"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return pattern;
}

QString lockName(const QString& mark) { return QStringLiteral("tabulex-") + mark.toLower(); }

struct Marked {
    QString name;
    QString table; // the user's table it stands for
    bool old = false;
    QString mark;
};

std::vector<Marked> markedTables(Connection& c, QSet<QString>& others)
{
    std::vector<Marked> marked;
    std::unique_ptr<Recordset> rs = c.openSchema(ado::adSchemaTables);
    for (; !rs->atEnd(); rs->moveNext()) {
        if (rs->fields()[QStringLiteral("TABLE_TYPE")].value.toText() != QLatin1String("TABLE"))
            continue;
        const QString name = rs->fields()[QStringLiteral("TABLE_NAME")].value.toText();
        const QRegularExpressionMatch m = markedPattern().match(name);
        if (m.hasMatch())
            marked.push_back({name, m.captured(1),
                              m.captured(2).compare(QLatin1String("old"), Qt::CaseInsensitive) == 0,
                              m.captured(3).toLower()});
        else
            others.insert(name.toCaseFolded()); // SQL Server compares names without case
    }
    rs->close();
    return marked;
}

// True when no session holds the run's lock.
bool runIsGone(Connection& c, const QString& mark)
{
    Recordset rs;
    rs.open(QStringLiteral("SELECT APPLOCK_TEST('public', N") + quotedText(lockName(mark)) +
                QStringLiteral(", 'Exclusive', 'Session')"),
            c);
    const bool free = !rs.atEnd() && rs.fields()[0].value.toText().trimmed() == u'1';
    rs.close();
    return free;
}

bool executeQuietly(Connection& c, const QString& statement)
{
    try {
        c.execute(statement);
        return true;
    } catch (const DataError&) {
        return false;
    }
}

} // namespace

QString newRunMark()
{
    return QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, u'0');
}

QString markedTableName(const QString& table, const QString& role, const QString& mark)
{
    const QString tail = QStringLiteral("~tabulex-") + role + u'-' + mark;
    qsizetype room = kMaxName - tail.size();
    // Never half a surrogate pair.
    if (room < table.size() && room > 0 && table[room - 1].isHighSurrogate())
        --room;
    return table.left(room) + tail;
}

bool isMarkedTableName(const QString& name) { return markedPattern().match(name).hasMatch(); }

void holdRunLock(Connection& connection, const QString& mark)
{
    connection.execute(QStringLiteral("EXEC sp_getapplock @Resource = N") +
                       quotedText(lockName(mark)) +
                       QStringLiteral(", @LockMode = 'Exclusive', @LockOwner = 'Session', "
                                      "@LockTimeout = 0"));
}

std::vector<RestoredTable> removeLeftovers(Connection& connection, const QString& ownMark)
{
    std::vector<RestoredTable> restored;
    try {
        QSet<QString> present;
        const std::vector<Marked> marked = markedTables(connection, present);
        QHash<QString, bool> gone;
        const auto isGone = [&](const QString& mark) {
            if (mark == ownMark.toLower())
                return false;
            if (!gone.contains(mark))
                gone.insert(mark, runIsGone(connection, mark));
            return gone.value(mark);
        };
        // A table set aside whose own name is free goes back first; one whose own name may
        // have been shortened stays where it is.
        for (const Marked& t : marked) {
            if (!t.old || !isGone(t.mark) || present.contains(t.table.toCaseFolded()) ||
                t.name.size() >= kMaxName)
                continue;
            if (executeQuietly(connection, QStringLiteral("sp_rename ") +
                                               quotedText(bracketName(t.name)) +
                                               QStringLiteral(", ") + quotedText(t.table))) {
                present.insert(t.table.toCaseFolded());
                restored.push_back({t.table, QStringLiteral("The table %1 was left as %2 by a "
                                                            "run that ended early; it has its "
                                                            "own name again.")
                                                 .arg(t.table, t.name)});
            }
        }
        for (const Marked& t : marked)
            if (isGone(t.mark) && (!t.old || present.contains(t.table.toCaseFolded())))
                executeQuietly(connection, QStringLiteral("DROP TABLE ") + bracketName(t.name));
    } catch (const DataError&) {
        // The catalogue or a lock could not be read: the leftovers wait for the next run.
    }
    return restored;
}

} // namespace tabulex
