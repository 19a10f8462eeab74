#include "BatchTestSupport.h"

#include "connect/ConnectionStrings.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "settings/Settings.h"
#include "tables/ListFill.h"
#include "transfer/Statements.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include <cerrno>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tabulex::test {

namespace {

constexpr int kRunTimeoutMs = 120000;

const QString kProgram = QStringLiteral(TABULEX_BATCH_PROGRAM);

// Reads the terminal until the child closed it, then reaps the child.
BatchResult readTerminal(int master, pid_t child)
{
    BatchResult result;
    QByteArray shown;
    for (;;) {
        pollfd p{master, POLLIN, 0};
        if (::poll(&p, 1, kRunTimeoutMs) <= 0)
            break;
        char buffer[4096];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n <= 0)
            break; // EIO once the child's side is closed
        shown.append(buffer, n);
    }
    ::close(master);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = QString::fromUtf8(shown);
    return result;
}

Rows readTable(const QString& connectionString, const QString& table, QStringList* fields)
{
    Connection c;
    c.cursorLocation = ado::adUseClient;
    c.open(connectionString);
    std::vector<Field> columns;
    Rows rows = readRows(c, QStringLiteral("SELECT * FROM ") + bracketName(table), &columns);
    if (fields) {
        fields->clear();
        for (const Field& f : columns)
            *fields << QStringLiteral("%1 %2(%3,%4,%5)")
                           .arg(f.name)
                           .arg(f.type)
                           .arg(f.definedSize)
                           .arg(f.precision)
                           .arg(f.numericScale);
    }
    return rows;
}

} // namespace

Rows paradoxTable(const QString& folder, const QString& table, QStringList* fields)
{
    return readTable(paradoxConnectionString(folder), table, fields);
}

Rows sqlTable(const QString& connectionString, const QString& table, QStringList* fields)
{
    return readTable(connectionString, table, fields);
}

void BatchTest::SetUp()
{
    TransferTest::SetUp();
    QFile::remove(Settings::filePath());
    ASSERT_TRUE(m_private.isValid());
    m_passwordFile = m_private.filePath(QStringLiteral("password"));
    QFile file(m_passwordFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(server->password().toUtf8() + '\n');
}

QStringList BatchTest::connection() const
{
    return {QStringLiteral("--server"),        QStringLiteral("127.0.0.1"),
            QStringLiteral("--port"),          QString::number(server->port()),
            QStringLiteral("--database"),      server->database(),
            QStringLiteral("--user"),          server->user(),
            QStringLiteral("--password-file"), m_passwordFile,
            QStringLiteral("--folder"),        folder()};
}

BatchResult BatchTest::batch(const QStringList& arguments, const QByteArray& input) const
{
    QProcess process;
    process.start(kProgram, arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(kRunTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    BatchResult result;
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = QString::fromUtf8(process.readAllStandardOutput());
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

BatchResult BatchTest::batchOnTerminal(const QStringList& arguments, const QByteArray& input) const
{
    std::vector<QByteArray> words{QFile::encodeName(kProgram)};
    for (const QString& a : arguments)
        words.push_back(a.toUtf8());
    std::vector<char*> argv;
    for (QByteArray& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    winsize size{};
    size.ws_row = 24;
    size.ws_col = 120;
    int master = -1;
    const pid_t child = ::forkpty(&master, nullptr, nullptr, &size);
    if (child < 0)
        return {};
    if (child == 0) {
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    // Typed ahead: the terminal keeps the lines until the program reads them.
    if (!input.isEmpty() && ::write(master, input.constData(), size_t(input.size())) < 0)
        return {};
    return readTerminal(master, child);
}

QStringList BatchTest::sqlTables() const
{
    MemoryTableList list;
    TestHost quiet;
    fillSqlTableList(list, server->connectionString(), quiet);
    return list.items();
}

QStringList BatchTest::folderFiles() const
{
    return QDir(folder()).entryList(QDir::Files, QDir::Name);
}

void BatchTest::makeSqlTable(const QString& name, int rows)
{
    server->execute(QStringLiteral("CREATE TABLE ") + bracketName(name) +
                    QStringLiteral("([n] INT, [t] NVARCHAR(20))"));
    QStringList values;
    for (int i = 1; i <= rows; ++i)
        values << QStringLiteral("(%1, N'row %1')").arg(i);
    if (!values.isEmpty())
        server->execute(QStringLiteral("INSERT INTO ") + bracketName(name) +
                        QStringLiteral(" VALUES ") + values.join(u','));
}

std::string explain(const BatchResult& r)
{
    return QStringLiteral("exit %1\n--- out\n%2--- err\n%3")
        .arg(r.exitCode)
        .arg(r.out, r.err)
        .toStdString();
}

} // namespace tabulex::test
