#pragma once

#include <QString>

namespace tabulex {

class CommandHost;
class TableList;

// Replaces the list's items with the user tables of the SQL Server database: catalogue rows
// of type "TABLE" whose upper-cased name holds no "SYS", by bare name. Throws the data
// layer's error; the list is cleared only once the catalogue could be read.
void fillSqlTableList(TableList& list, const QString& connectionString, CommandHost& host);

// Replaces the list's items with the Paradox tables of folder and every folder below it:
// each "*.db" file not starting with "~", upper-cased, without its final ".DB" (the table
// x.db.db is listed as X.DB). An empty folder text leaves the list empty.
void fillParadoxTableList(TableList& list, const QString& folder, CommandHost& host);

// The item that list shows for a table file: the file's name without its final ".db",
// upper-cased.
QString paradoxListItem(const QString& fileName);

} // namespace tabulex
