#include "connect/ConnectionStrings.h"

namespace tabulex {

QString sqlConnectionString(const ConnectionFields& f)
{
    QString server = f.server;
    if (!f.localConnection)
        server += u',' + f.port;
    return QStringLiteral("Driver={SQL Server};Server=") + server + QStringLiteral(";Database=") +
           f.database + QStringLiteral(";Uid=") + f.user + QStringLiteral(";Pwd=") + f.password +
           u';';
}

QString paradoxConnectionString(const QString& folder)
{
    return QStringLiteral("Driver={Microsoft Paradox Driver (*.db )};DriverID=538;"
                          "Fil=Paradox 5.X;DefaultDir=") +
           folder + QStringLiteral(";Dbq=") + folder + QStringLiteral(";CollatingSequence=ASCII;");
}

} // namespace tabulex
