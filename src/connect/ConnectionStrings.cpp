#include "connect/ConnectionStrings.h"

#include "core/AppInfo.h"
#include "core/ConnectionString.h"

#include <QStringList>

namespace tabulex {

QString sqlConnectionString(const ConnectionFields& f)
{
    QString server = f.server;
    if (!f.localConnection)
        server += u',' + f.port;
    return QStringLiteral("Driver={SQL Server};Server=") + quotedConnectionValue(server) +
           QStringLiteral(";Database=") + quotedConnectionValue(f.database) +
           QStringLiteral(";Uid=") + quotedConnectionValue(f.user) + QStringLiteral(";Pwd=") +
           quotedConnectionValue(f.password) + u';';
}

QString connectionTitle(const ConnectionFields& f)
{
    QStringList parts;
    if (!f.server.isEmpty())
        parts << (f.database.isEmpty() ? f.server : f.database + QStringLiteral(" on ") + f.server);
    if (!f.paradoxFolder.isEmpty())
        parts << f.paradoxFolder;
    if (parts.isEmpty())
        return kProductTitle;
    return kProductTitle + QStringLiteral(" - ") + parts.join(QStringLiteral(" / "));
}

QString paradoxConnectionString(const QString& folder)
{
    const QString value = quotedConnectionValue(folder);
    return QStringLiteral("Driver={Microsoft Paradox Driver (*.db )};DriverID=538;"
                          "Fil=Paradox 5.X;DefaultDir=") +
           value + QStringLiteral(";Dbq=") + value + QStringLiteral(";CollatingSequence=ASCII;");
}

} // namespace tabulex
