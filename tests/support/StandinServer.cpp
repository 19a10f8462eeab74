#include "StandinServer.h"

#include "RowReader.h"
#include "TestPaths.h"
#include "core/ConnectionString.h"
#include "data/Connection.h"
#include "data/Recordset.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <csignal>
#include <stdexcept>
#include <sys/prctl.h>
#include <unistd.h>

#ifndef TABULEX_PYTHON3
#define TABULEX_PYTHON3 "python3"
#endif

namespace tabulex::test {

namespace {

constexpr int kStartTimeoutMs = 15000;
constexpr int kStopTimeoutMs = 5000;

} // namespace

QString sqlQuoted(const QString& text)
{
    QString out = text;
    out.replace(u'\'', QStringLiteral("''"));
    return u'\'' + out + u'\'';
}

StandinServer::StandinServer() : StandinServer(Options{}) {}

StandinServer::StandinServer(Options options) : m_options(std::move(options)) { start(); }

StandinServer::~StandinServer() { stop(); }

QString StandinServer::scriptPath()
{
    return testsSourceDir() + QStringLiteral("/sqlserver/standin");
}

void StandinServer::start()
{
    m_process = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PYTHONDONTWRITEBYTECODE"), QStringLiteral("1"));
    m_process->setProcessEnvironment(env);
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const pid_t parent = getpid();
    // The stand-in must not outlive the test program, even one that crashes.
    m_process->setChildProcessModifier([parent] {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent)
            _exit(1);
    });
    QStringList args = {scriptPath(),
                        QStringLiteral("--port"),
                        QString::number(m_options.port),
                        QStringLiteral("--database"),
                        m_options.database,
                        QStringLiteral("--user"),
                        m_options.user,
                        QStringLiteral("--password"),
                        m_options.password};
    args += m_options.extraArguments;
    m_process->start(QStringLiteral(TABULEX_PYTHON3), args);

    static const QRegularExpression listening(
        QStringLiteral("^listening on 127\\.0\\.0\\.1:(\\d+)"));
    QByteArray out;
    while (m_process->state() != QProcess::NotRunning || m_process->bytesAvailable()) {
        if (m_process->canReadLine()) {
            const QString line = QString::fromUtf8(m_process->readLine()).trimmed();
            const auto m = listening.match(line);
            if (m.hasMatch()) {
                m_port = m.captured(1).toInt();
                controlConnection();
                return;
            }
            out += line.toUtf8() + '\n';
            continue;
        }
        if (!m_process->waitForReadyRead(kStartTimeoutMs))
            break;
    }
    const QString why = m_process->errorString();
    stop();
    throw std::runtime_error("the SQL Server stand-in did not start (" + why.toStdString() +
                             "): " + out.toStdString());
}

void StandinServer::stop()
{
    m_control.reset();
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(kStopTimeoutMs)) {
            m_process->kill();
            m_process->waitForFinished(kStopTimeoutMs);
        }
    }
    m_process.reset();
}

qint64 StandinServer::processId() const { return m_process ? m_process->processId() : 0; }

bool StandinServer::isRunning() const
{
    return m_process && m_process->state() == QProcess::Running;
}

QString StandinServer::connectionString() const
{
    return connectionString(m_options.user, m_options.password, m_options.database);
}

QString StandinServer::connectionString(const QString& user, const QString& password,
                                        const QString& database) const
{
    return QStringLiteral("Driver={SQL Server};Server=127.0.0.1,") + QString::number(m_port) +
           QStringLiteral(";Database=") + quotedConnectionValue(database) +
           QStringLiteral(";Uid=") + quotedConnectionValue(user) + QStringLiteral(";Pwd=") +
           quotedConnectionValue(password) + u';';
}

void StandinServer::execute(const QString& sql) const
{
    Connection c;
    c.open(connectionString());
    c.execute(sql);
}

std::vector<std::vector<Value>> StandinServer::query(const QString& sql) const
{
    Connection c;
    c.open(connectionString());
    return readRows(c, sql);
}

Connection& StandinServer::controlConnection() const
{
    if (!m_control) {
        auto c = std::make_unique<Connection>();
        c->commandTimeout = 0; // filling a big table may take a while
        c->open(connectionString());
        m_control = std::move(c);
    }
    return *m_control;
}

void StandinServer::runControl(const QString& sql) const
{
    if (!isRunning())
        throw std::runtime_error("the SQL Server stand-in is not running");
    controlConnection().execute(sql);
}

std::vector<std::vector<Value>> StandinServer::queryControl(const QString& sql) const
{
    if (!isRunning())
        throw std::runtime_error("the SQL Server stand-in is not running");
    return readRows(controlConnection(), sql);
}

void StandinServer::control(const QString& command) const
{
    runControl(QStringLiteral("EXEC standin_control ") + sqlQuoted(command));
}

void StandinServer::failStatements(const QString& pattern, int number, const QString& text,
                                   int times) const
{
    QString sql = QStringLiteral("EXEC standin_control 'fail', %1, %2, %3")
                      .arg(sqlQuoted(pattern))
                      .arg(number)
                      .arg(sqlQuoted(text));
    if (times >= 0)
        sql += QStringLiteral(", 16, %1").arg(times);
    runControl(sql);
}

StandinServer::Status StandinServer::status() const
{
    const auto rows = queryControl(QStringLiteral("EXEC standin_control 'status'"));
    if (rows.size() != 1 || rows[0].size() != 3)
        throw std::runtime_error("unexpected answer to the stand-in's status");
    return Status{int(rows[0][0].toInt()) - 1, int(rows[0][1].toInt()) - 1,
                  int(rows[0][2].toInt())};
}

QStringList StandinServer::statementLog() const
{
    QStringList out;
    for (const auto& row : queryControl(QStringLiteral("EXEC standin_control 'log'")))
        out << row.at(2).toString();
    return out;
}

} // namespace tabulex::test
