#pragma once

#include <QString>

// The delete and rename commands of the table window's SQL Server side. Each works on the
// list it is given, reads the connection string it is handed at the moment of the call, and
// reports its errors as the window's handler would
// ("in Verandi2021/08/31.Form2.PushButton1_Click ...").
namespace tabulex {

class CommandHost;
class TableList;

// "Delete Table/s" of the SQL Server side: drops every selected table, from the bottom of
// the list up, each on a connection of its own. A table whose DROP fails stays listed.
// The number of tables dropped.
int deleteSqlTables(TableList& list, const QString& connectionString, CommandHost& host);

// "Rename Table" of the SQL Server side: asks for the new name of the one selected table
// and renames it with sp_rename. A refused rename leaves the list as it was. True when
// renamed.
bool renameSqlTable(TableList& list, const QString& connectionString, CommandHost& host);

} // namespace tabulex
