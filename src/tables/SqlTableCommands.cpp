// Delete and rename on the SQL Server side.
#include "tables/SqlTableCommands.h"

#include "core/AppInfo.h"
#include "core/SqlQuoting.h"
#include "data/Connection.h"
#include "host/ErrorTrap.h"
#include "host/HostHourglass.h"
#include "host/Prompter.h"
#include "host/TableList.h"

namespace tabulex {

namespace {

const QString kModule = QStringLiteral("Form2");
const QString kSelectTable = QStringLiteral("Please select a table");
const QString kSelectOne = QStringLiteral("Please select just one table to rename");

// Opens, runs one statement, closes, each under its own line label as the window does.
// True when the statement ran.
bool executeOnOwnConnection(ErrorTrap& trap, int firstLine, const QString& connectionString,
                            const QString& statement)
{
    Connection connection;
    trap.step(firstLine, [&] { connection.open(connectionString); });
    const bool ran = trap.step(firstLine + 2, [&] { connection.execute(statement); });
    trap.step(firstLine + 4, [&] { connection.close(); });
    return ran;
}

} // namespace

int deleteSqlTables(TableList& list, const QString& connectionString, CommandHost& host)
{
    ErrorTrap trap(host.prompter(), kModule, QStringLiteral("PushButton1_Click"));
    if (list.currentIndex() == -1) {
        trap.step(102, [&] { host.prompter().message(kSelectTable, appTitle()); });
        return 0;
    }
    HostHourglass wait(host);
    int dropped = 0;
    for (int i = list.count() - 1; i >= 0; --i) {
        host.processEvents();
        if (!list.isSelected(i))
            continue;
        const QString statement =
            QStringLiteral("DROP TABLE ") + bracketName(list.item(i)) + QStringLiteral(";");
        if (!executeOnOwnConnection(trap, 110, connectionString, statement))
            continue; // the table is still there, so it stays listed
        if (trap.step(116, [&] { list.removeItem(i); }))
            ++dropped;
    }
    return dropped;
}

bool renameSqlTable(TableList& list, const QString& connectionString, CommandHost& host)
{
    ErrorTrap trap(host.prompter(), kModule, QStringLiteral("PushButton6_Click"));
    Prompter& prompter = host.prompter();
    if (list.currentIndex() == -1) {
        trap.step(102, [&] { prompter.message(kSelectTable, appTitle()); });
        return false;
    }
    int selected = 0;
    int index = -1;
    for (int i = 0; i < list.count(); ++i) {
        if (list.isSelected(i)) {
            index = i;
            ++selected;
        }
    }
    if (selected != 1) {
        trap.step(108, [&] { prompter.message(kSelectOne, appTitle()); });
        return false;
    }
    HostHourglass wait(host);
    const QString oldName = list.item(index);
    QString newName;
    trap.step(112, [&] {
        newName = prompter.inputBox(QStringLiteral("Enter new name of ") + oldName + u':',
                                    appTitle(), oldName);
    });
    if (newName.isEmpty())
        return false;
    // The old name in brackets, so that sp_rename takes dots and brackets in it literally.
    const QString statement = QStringLiteral("sp_rename ") + quotedText(bracketName(oldName)) +
                              QStringLiteral(", ") + quotedText(newName);
    if (!executeOnOwnConnection(trap, 116, connectionString, statement))
        return false; // the server still has the old name
    trap.step(122, [&] { list.removeItem(index); });
    trap.step(124, [&] { list.addItem(newName); });
    return true;
}

} // namespace tabulex
