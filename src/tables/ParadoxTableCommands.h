#pragma once

#include <QString>

// The delete and rename commands of the table window's Paradox side. Each works on the list
// it is given, reads the folder it is handed at the moment of the call, and reports its
// errors as the window's handler would ("in Verandi2021/08/31.Form2.PushButton5_Click ...").
namespace tabulex {

class CommandHost;
class TableList;

// "Delete Table/s" of the Paradox side: deletes the files of every selected table lying
// directly in folder, the .db and its companion files. A table whose .db could not be
// deleted stays listed. The number of tables deleted.
int deleteParadoxTables(TableList& list, const QString& folder, CommandHost& host);

// "Rename Table" of the Paradox side: asks for the new name of the one selected table and
// renames its .db and companion files. Asks before replacing another table's files; a
// rename whose copy failed leaves the list as it was. True when renamed.
bool renameParadoxTable(TableList& list, const QString& folder, CommandHost& host);

} // namespace tabulex
