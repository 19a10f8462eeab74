#pragma once

#include <QString>
#include <vector>

namespace tabulex {

class Connection;

// The tables a run builds on SQL Server carry its mark, `t~tabulex-new-<mark>` and
// `t~tabulex-old-<mark>` (16 hex digits), and the run's connection holds the session
// application lock `tabulex-<mark>` while it lives. Once that lock is free, the run is gone
// and its tables are leftovers.

// A fresh mark for one run.
QString newRunMark();
// The name the table has in the role ("new": being built, "old": set aside) under the mark,
// the table's name shortened so that the whole stays a SQL Server name.
QString markedTableName(const QString& table, const QString& role, const QString& mark);
// True for a name of that form: one of Tabulex's own tables, never listed or sent.
bool isMarkedTableName(const QString& name);

// Takes the run's lock on the connection (held until the connection ends). Throws DataError.
void holdRunLock(Connection& connection, const QString& mark);

// Removes what runs that no longer live left on the connection's database: their tables
// being built and the tables they had set aside once the new one took the name; a table
// that exists only under its `~tabulex-old-` name gets its own name back. The tables of the
// run with `ownMark` and of runs whose lock is held are not touched. Returns the tables given
// back their names. A failure leaves the rest for the next time and is not thrown.
struct RestoredTable {
    QString table;
    QString message; // what the user is told
};
std::vector<RestoredTable> removeLeftovers(Connection& connection, const QString& ownMark = {});

} // namespace tabulex
