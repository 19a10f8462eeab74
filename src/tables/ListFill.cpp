#include "tables/ListFill.h"

#include "core/AdoTypes.h"
#include "host/CommandHost.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "folders/AddFolder.h"
#include "host/TableList.h"

namespace tabulex {

void FillSqlTableList(TableList& list, const QString& connectionString, CommandHost& host)
{
    Connection connection;
    connection.Open(connectionString);
    std::unique_ptr<Recordset> rs = connection.OpenSchema(ado::adSchemaTables);
    list.clear();
    for (; !rs->Eof(); rs->MoveNext()) {
        if (rs->Fields()[QStringLiteral("TABLE_TYPE")].Value.toText() != QLatin1String("TABLE"))
            continue;
        host.processEvents();
        const QString name = rs->Fields()[QStringLiteral("TABLE_NAME")].Value.toText();
        if (!name.toUpper().contains(QLatin1String("SYS")))
            list.addItem(name);
    }
    rs->Close();
    connection.Close();
}

void FillParadoxTableList(TableList& list, const QString& folder, CommandHost& host)
{
    list.clear();
    if (folder.isEmpty())
        return;
    QStringList folders{folder + u'/'};
    GetSubDirectories2016(folders, true, host.prompter());
    for (const QString& entry : std::as_const(folders)) {
        const QString path = entry.chopped(1);
        for (const QString& file : FindFiles(path, QStringLiteral("*.db"))) {
            if (file.startsWith(u'~'))
                continue;
            list.addItem(file.toUpper().remove(QStringLiteral(".DB")));
        }
    }
}

} // namespace tabulex
