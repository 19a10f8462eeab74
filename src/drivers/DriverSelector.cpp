#include "drivers/DriverSelector.h"

#include "app/DataError.h"
#include "drivers/odbc/OdbcConnection.h"
#include "drivers/paradox/ParadoxConnection.h"
#include "drivers/staging/StagingConnection.h"

namespace tabulex {

namespace {

const QString kParadoxDriver = QStringLiteral("Microsoft Paradox Driver (*.db )");
const QString kStagingProvider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");

} // namespace

std::map<QString, QString> parseConnectionString(const QString& cs)
{
    std::map<QString, QString> result;
    qsizetype i = 0;
    const qsizetype n = cs.size();
    while (i < n) {
        while (i < n && (cs[i] == u' ' || cs[i] == u';'))
            ++i;
        const qsizetype eq = cs.indexOf(u'=', i);
        if (eq < 0)
            break;
        const QString key = cs.mid(i, eq - i).trimmed().toUpper();
        i = eq + 1;
        QString value;
        if (i < n && cs[i] == u'{') {
            // A braced value runs to the first "}" followed by ";" or the end.
            qsizetype close = i + 1;
            while (close < n && !(cs[close] == u'}' && (close + 1 == n || cs[close + 1] == u';')))
                ++close;
            value = cs.mid(i + 1, close - i - 1);
            i = close + 1;
        } else {
            qsizetype semi = cs.indexOf(u';', i);
            if (semi < 0)
                semi = n;
            value = cs.mid(i, semi - i);
            i = semi;
        }
        result.emplace(key, value);
    }
    return result;
}

DriverKind driverKindFor(const QString& connectionString)
{
    const auto keys = parseConnectionString(connectionString);
    if (auto it = keys.find(QStringLiteral("PROVIDER")); it != keys.end())
        return it->second.compare(kStagingProvider, Qt::CaseInsensitive) == 0 ? DriverKind::Staging
                                                                              : DriverKind::Unknown;
    if (auto it = keys.find(QStringLiteral("DRIVER")); it != keys.end()) {
        if (it->second.compare(kParadoxDriver, Qt::CaseInsensitive) == 0)
            return DriverKind::Paradox;
        return DriverKind::Odbc;
    }
    return DriverKind::Unknown;
}

std::unique_ptr<DriverConnection> openDriverConnection(const QString& connectionString,
                                                       const DriverOptions& options)
{
    switch (driverKindFor(connectionString)) {
    case DriverKind::Odbc:
        return odbc::OdbcConnection::open(connectionString, options);
    case DriverKind::Paradox:
        return paradoxdriver::ParadoxConnection::open(connectionString, options);
    case DriverKind::Staging:
        return staging::StagingConnection::open(connectionString);
    case DriverKind::Unknown:
        break;
    }
    throw DataError(QStringLiteral("No driver or provider is named in the connection string."));
}

} // namespace tabulex
