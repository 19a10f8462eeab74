#include "connect/ConnectionStrings.h"

#include "core/ConnectionString.h"

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

QString paradoxConnectionString(const QString& folder)
{
    const QString value = quotedConnectionValue(folder);
    return QStringLiteral("Driver={Microsoft Paradox Driver (*.db )};DriverID=538;"
                          "Fil=Paradox 5.X;DefaultDir=") +
           value + QStringLiteral(";Dbq=") + value + QStringLiteral(";CollatingSequence=ASCII;");
}

} // namespace tabulex
