#pragma once

#include <QString>

#include <optional>

namespace tabulex {

class CommandHost;
class TableList;

// Replaces the list's items with the user tables of the SQL Server database: catalogue rows
// of type "TABLE" whose upper-cased name holds no "SYS", by bare name, without Tabulex's own
// tables being built or set aside. First removes what runs that ended early left there
// (removeLeftovers), telling the host of each table given back its name. Throws the data
// layer's error; the list is cleared only once the catalogue could be read.
void fillSqlTableList(TableList& list, const QString& connectionString, CommandHost& host);

// Replaces the list's items with the Paradox tables of folder and every folder below it, one
// item per table (paradox::tableEntries), "*.db" files starting with "~" left out: a table
// in the folder itself by its name upper-cased ("x.db.db" is X.DB), a table whose name
// another of its folder shares in another case as its file spells it ("orders", "ORDERS"), a
// table in a subfolder under that subfolder's path ("sub/ORDERS"). The same items name the
// tables to the Paradox driver and the delete and rename commands (paradox::findTableEntry).
// An empty folder text leaves the list empty.
void fillParadoxTableList(TableList& list, const QString& folder, CommandHost& host);

// The items of one folder of the list (prefix "" for the folder itself, else "sub/") brought
// up to the folder as it is: items of tables gone removed, tables new to it added, each as a
// fill spells it; an item that stays keeps its selection.
void refreshParadoxFolderItems(TableList& list, const QString& folder, const QString& prefix);

// The list folder of an item: what comes before its table's name ("sub/" for "sub/ORDERS").
QString paradoxItemPrefix(const QString& item);

// The .db file an item of the list of folder names, as a path; none when it names none.
std::optional<QString> paradoxTableFile(const QString& folder, const QString& item);

} // namespace tabulex
