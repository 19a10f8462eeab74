#include "connect/SqlServerLogin.h"

#include "connect/ConnectionStrings.h"
#include "core/DataError.h"
#include "core/StopRequest.h"
#include "data/Connection.h"

namespace tabulex {

namespace {

// FreeTDS's own numbers for a connection that never reached a server: 20009 (refused or
// nothing listening), 20012/20013 (host name unknown), 20003 (read time-out) and the rest of
// its socket errors.
bool freeTdsNetworkError(int nativeError) { return nativeError >= 20000 && nativeError < 20100; }

QString serverName(const ConnectionFields& f)
{
    return f.localConnection ? f.server : f.server + QStringLiteral(", port ") + f.port;
}

} // namespace

bool openSqlConnection(const QString& connectionString)
{
    return checkSqlLogin(connectionString).ok();
}

LoginFailure classifyLoginFailure(int nativeError, const QString& state,
                                  const QList<int>& otherNatives)
{
    if (otherNatives.contains(4060))
        return LoginFailure::UnknownDatabase;
    if (nativeError == 18456 || nativeError == 18452 || nativeError == 18470 ||
        nativeError == 18486 || nativeError == 18487 || nativeError == 18488)
        return LoginFailure::LoginRefused;
    if (nativeError == 4060 || nativeError == 911)
        return LoginFailure::UnknownDatabase;
    if (freeTdsNetworkError(nativeError) || state.startsWith(QLatin1String("08")) ||
        state == QLatin1String("HYT00") || state == QLatin1String("HYT01"))
        return LoginFailure::Unreachable;
    if (state == QLatin1String("IM002") || state == QLatin1String("IM003"))
        return LoginFailure::DriverMissing;
    if (state == QLatin1String("28000"))
        return LoginFailure::LoginRefused;
    return LoginFailure::Other;
}

LoginCheck checkSqlLogin(const QString& connectionString)
{
    try {
        Connection connection;
        connection.open(connectionString);
        return {};
    } catch (const CommandStopped&) {
        throw; // not a failed login: the program is closing
    } catch (const DataError& e) {
        return {classifyLoginFailure(e.nativeError(), e.state(), e.allNativeErrors()),
                e.allRecords().isEmpty() ? e.description() : e.allRecords()};
    } catch (const std::exception& e) {
        return {LoginFailure::Other, QString::fromStdString(e.what())};
    } catch (...) {
        return {LoginFailure::Other, {}};
    }
}

QString loginCheckText(const LoginCheck& check, const ConnectionFields& f)
{
    switch (check.failure) {
    case LoginFailure::None:
        return QStringLiteral("SQL Server: logged in to the database %1 on %2.")
            .arg(f.database, serverName(f));
    case LoginFailure::LoginRefused:
        return QStringLiteral("SQL Server: the server refused the login of %1: the user name or "
                              "the password is wrong, or this user may not log in.")
            .arg(f.user);
    case LoginFailure::UnknownDatabase:
        return QStringLiteral("SQL Server: the server has no database %1, or the user %2 may "
                              "not open it.")
            .arg(f.database, f.user);
    case LoginFailure::Unreachable:
        return QStringLiteral("SQL Server: no server answers at %1. Check the server name and "
                              "the port, and that the server is running.")
            .arg(serverName(f));
    case LoginFailure::DriverMissing:
        return QStringLiteral("SQL Server: the ODBC driver \"SQL Server\" is not installed on "
                              "this computer.");
    case LoginFailure::Other:
        break;
    }
    return QStringLiteral("SQL Server: the login failed; the details tell why.");
}

} // namespace tabulex
