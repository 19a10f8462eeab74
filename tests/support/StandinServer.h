#pragma once

#include "core/Value.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QProcess;

namespace tabulex {
class Connection;
}

namespace tabulex::test {

// A private SQL Server stand-in (tests/sqlserver/standin) for one test program: started on a
// free port of 127.0.0.1 with an empty database, reached through the real unixODBC driver
// manager and FreeTDS, stopped at destruction. The child dies with the test program even
// when the program crashes. Throws std::runtime_error when it cannot start.
class StandinServer {
public:
    struct Options {
        QString database = QStringLiteral("tabulex");
        QString user = QStringLiteral("tabulex");
        QString password = QStringLiteral("Secret#1");
        int port = 0;               // 0 picks a free port
        QStringList extraArguments; // start-up faults, --seed FILE ...
    };

    StandinServer();
    explicit StandinServer(Options options);
    ~StandinServer();
    StandinServer(const StandinServer&) = delete;
    StandinServer& operator=(const StandinServer&) = delete;

    int port() const { return m_port; }
    const QString& user() const { return m_options.user; }
    const QString& password() const { return m_options.password; }
    const QString& database() const { return m_options.database; }

    // "Driver={SQL Server};Server=127.0.0.1,PORT;Database=..;Uid=..;Pwd=..;"
    QString connectionString() const;
    // The same string with other login values (wrong password, unknown database...).
    QString connectionString(const QString& user, const QString& password,
                             const QString& database) const;

    // Runs statements on a fresh connection; throw DataError as the program would see it.
    void execute(const QString& sql) const;
    std::vector<std::vector<Value>> query(const QString& sql) const;

    // EXEC standin_control '<command>': faults and other controls (tests/sqlserver/standin --help).
    // Controls travel on a connection of their own, opened before any fault is set, so they
    // work while logins are refused.
    void control(const QString& command) const;
    // Statements matching pattern (a regular expression) fail with this error; times < 0: always.
    void failStatements(const QString& pattern, int number, const QString& text,
                        int times = -1) const;
    // A fresh, empty database and no faults.
    void reset() const { control(QStringLiteral("reset")); }

    // Counters since the start, leaving out the helper's own control connection.
    struct Status {
        int openConnections = 0;
        int logins = 0;     // successful logins
        int statements = 0; // statements received (control statements excluded)
    };
    Status status() const;
    // The last statements received (up to 1000), oldest first; control statements excluded.
    QStringList statementLog() const;

    // Ends the stand-in now: later connections find nothing listening.
    void stop();
    bool isRunning() const;
    qint64 processId() const;

    // The stand-in's entry point in the source tree.
    static QString scriptPath();

private:
    void start();
    void runControl(const QString& sql) const;
    std::vector<std::vector<Value>> queryControl(const QString& sql) const;
    Connection& controlConnection() const;

    Options m_options;
    std::unique_ptr<QProcess> m_process;
    mutable std::unique_ptr<Connection> m_control;
    int m_port = 0;
};

// SQL text for a string literal: 'text' with apostrophes doubled.
QString sqlQuoted(const QString& text);

} // namespace tabulex::test
