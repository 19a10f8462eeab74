#pragma once

#include <QList>
#include <QString>

namespace tabulex {

struct ConnectionFields;

// True when a connection opens with connectionString; it is closed again at once. Shows
// nothing: every failure, whatever its cause, gives false. Only CommandStopped passes.
bool openSqlConnection(const QString& connectionString);

// Why a login failed, as far as the driver's error tells.
enum class LoginFailure {
    None,            // the login worked
    LoginRefused,    // user name or password wrong (18456)
    UnknownDatabase, // no such database, or the login may not open it (4060)
    Unreachable,     // nothing answered at the server and port, or the name is unknown
    DriverMissing,   // the ODBC driver "SQL Server" is not installed
    Other
};

// The class of a driver error from its native error number and SQLSTATE; otherNatives are
// the numbers of the error's further records (a missing database comes with a refused
// login).
LoginFailure classifyLoginFailure(int nativeError, const QString& state,
                                  const QList<int>& otherNatives = {});

// What a login attempt gave: the class and the driver's own text.
struct LoginCheck {
    LoginFailure failure = LoginFailure::None;
    QString driverText;

    bool ok() const { return failure == LoginFailure::None; }
};

// Opens a connection with connectionString and closes it again. Only CommandStopped passes.
LoginCheck checkSqlLogin(const QString& connectionString);

// The user's words for what the check found, after the test's first line ("Connection
// successful." or "Could not connect. Please check with your administrator.").
QString loginCheckText(const LoginCheck& check, const ConnectionFields& fields);

} // namespace tabulex
