#include "tables/ListFill.h"

#include "core/AdoTypes.h"
#include "core/StopRequest.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "folders/FileListing.h"
#include "folders/FolderWalk.h"
#include "host/CommandHost.h"
#include "host/TableList.h"
#include "paradox/TableFiles.h"

namespace tabulex {

void fillSqlTableList(TableList& list, const QString& connectionString, CommandHost& host)
{
    Connection connection;
    connection.open(connectionString);
    std::unique_ptr<Recordset> rs = connection.openSchema(ado::adSchemaTables);
    list.clear();
    for (; !rs->atEnd(); rs->moveNext()) {
        if (rs->fields()[QStringLiteral("TABLE_TYPE")].value.toText() != QLatin1String("TABLE"))
            continue;
        host.processEvents();
        stopIfRequested();
        const QString name = rs->fields()[QStringLiteral("TABLE_NAME")].value.toText();
        if (!name.toUpper().contains(QLatin1String("SYS")))
            list.addItem(name);
    }
    rs->close();
    connection.close();
}

void fillParadoxTableList(TableList& list, const QString& folder, CommandHost& host)
{
    list.clear();
    if (folder.isEmpty())
        return;
    QStringList folders{folder + u'/'};
    appendSubfolders(folders, true, host);
    for (const QString& entry : std::as_const(folders)) {
        const QString path = entry.chopped(1);
        for (const QString& file : findFiles(path, QStringLiteral("*.db"))) {
            if (file.startsWith(u'~'))
                continue;
            list.addItem(paradoxListItem(file));
        }
    }
}

QString paradoxListItem(const QString& fileName)
{
    return QString::fromStdString(paradox::tableNameOf(fileName.toStdString())).toUpper();
}

} // namespace tabulex
