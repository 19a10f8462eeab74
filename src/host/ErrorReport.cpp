#include "host/ErrorReport.h"

namespace tabulex {

namespace {

QString tail(int line)
{
    return QStringLiteral("at line ") + QString::number(line) + QStringLiteral("\r\r") +
           QStringLiteral("Please email screenshot of this message to ") + kSupportAddress;
}

} // namespace

QString errorReportText(const QString& description, const ErrorLocation& where, const QString* sql)
{
    QString text = description + QStringLiteral("\r\n") + QStringLiteral("in Verandi2021/08/31.") +
                   where.module + u'.' + where.procedure + u' ' + tail(where.line);
    if (sql)
        text += QStringLiteral("\r\r") + QStringLiteral("sql: ") + *sql;
    return text;
}

QString folderWalkErrorReportText(const QString& description, int line)
{
    return description + QStringLiteral("\r\n") +
           QStringLiteral("in Dranwick2021/08/31.AddFolder.GetSubDirectories2016 ") + tail(line);
}

} // namespace tabulex
