#include "TransferFixture.h"

#include "TestPaths.h"
#include "connect/ConnectionStrings.h"
#include "paradox/TableFiles.h"
#include "transfer/Statements.h"

#include <QDir>
#include <QFile>

namespace tabulex::test {

StandinServer* TransferTest::server = nullptr;

void TransferTest::SetUpTestSuite() { server = new StandinServer(); }

void TransferTest::TearDownTestSuite()
{
    delete server;
    server = nullptr;
}

void TransferTest::SetUp()
{
    server->reset();
    m_folder = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(m_folder->isValid());
}

TransferContext TransferTest::context()
{
    TransferContext ctx;
    ctx.host = &host;
    ctx.sqlList = &sqlList;
    ctx.paradoxList = &paradoxList;
    ctx.sqlConnectionString = [] { return server->connectionString(); };
    ctx.paradoxConnectionString = [this] { return paradoxConnectionString(folder()); };
    ctx.paradoxFolder = [this] { return folder(); };
    ctx.refillParadoxList = [this] { refillParadoxList(); };
    return ctx;
}

TransferSummary TransferTest::toParadox(const QStringList& tables)
{
    for (const QString& t : tables)
        if (!sqlList.items().contains(t))
            sqlList.addItem(t);
    sqlList.select(tables);
    TransferContext ctx = context();
    return sendTablesToParadox(ctx);
}

TransferSummary TransferTest::toSqlServer(const QStringList& tables)
{
    refillParadoxList();
    paradoxList.select(tables);
    TransferContext ctx = context();
    return sendTablesToSqlServer(ctx);
}

namespace {

Rows readAll(const QString& connectionString, const QString& statement, std::vector<Field>* fields)
{
    Connection c;
    c.cursorLocation = ado::adUseClient;
    c.open(connectionString);
    return readRows(c, statement, fields);
}

} // namespace

Rows TransferTest::paradoxRows(const QString& table, std::vector<Field>* fields)
{
    return readAll(paradoxConnectionString(folder()), "SELECT * FROM " + bracketName(table),
                   fields);
}

Rows TransferTest::sqlRows(const QString& table, std::vector<Field>* fields)
{
    return readAll(server->connectionString(), "SELECT * FROM " + bracketName(table), fields);
}

void TransferTest::copyFixtures(const QString& subfolder, const QStringList& tables)
{
    const QDir from(paradoxFixtures() + u'/' + subfolder);
    for (const QString& table : tables) {
        for (const auto& file : paradox::tableFamily(from.path().toStdString() + '/' +
                                                     paradox::tableFileName(table.toStdString()))) {
            const QString source = QString::fromStdString(file.string());
            const QString target = folder() + u'/' + QFileInfo(source).fileName();
            ASSERT_TRUE(QFile::copy(source, target)) << source.toStdString();
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        }
    }
}

QStringList TransferTest::copyAllFixtures()
{
    QStringList names;
    for (const char* sub : {"db", "fields"}) {
        QStringList here;
        for (const auto& f :
             paradox::listTableFiles((paradoxFixtures() + u'/' + sub).toStdString()))
            here << QString::fromStdString(f.stem().string());
        copyFixtures(QString::fromLatin1(sub), here);
        names += here;
    }
    return names;
}

void TransferTest::refillParadoxList()
{
    paradoxList.clear();
    for (const auto& file : paradox::listTableFiles(folder().toStdString())) {
        paradoxList.addItem(QString::fromStdString(paradox::tableNameOf(file)).toUpper());
    }
}

} // namespace tabulex::test
