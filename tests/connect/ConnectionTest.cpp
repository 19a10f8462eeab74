#include "data/Connection.h"
#include "FreePort.h"
#include "StandinServer.h"
#include "connect/ConnectionStrings.h"
#include "connect/ParadoxFolder.h"
#include "connect/SqlServerLogin.h"
#include "core/DataError.h"
#include "folders/FolderError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tabulex;

namespace {

ConnectionFields login(const QString& server, const QString& port, const QString& database,
                       const QString& user, const QString& password, bool local)
{
    ConnectionFields f;
    f.server = server;
    f.port = port;
    f.database = database;
    f.user = user;
    f.password = password;
    f.localConnection = local;
    return f;
}

} // namespace

TEST(SqlConnectionString, FieldsGoInAsTypedAndInBracesWhereTheyNeedThem)
{
    struct Row {
        ConnectionFields fields;
        QString expected;
    };
    const Row rows[] = {
        {login("db01", "1433", "Sales", "anna", "pw", false),
         "Driver={SQL Server};Server=db01,1433;Database=Sales;Uid=anna;Pwd=pw;"},
        {login("db01", "1433", "Sales", "anna", "pw", true),
         "Driver={SQL Server};Server=db01;Database=Sales;Uid=anna;Pwd=pw;"},
        {login("db01", "", "Sales", "anna", "pw", false),
         "Driver={SQL Server};Server=db01,;Database=Sales;Uid=anna;Pwd=pw;"},
        {login("", "", "", "", "", false), "Driver={SQL Server};Server=,;Database=;Uid=;Pwd=;"},
        {login("", "", "", "", "", true), "Driver={SQL Server};Server=;Database=;Uid=;Pwd=;"},
        {login("db01", "1433", "Sales", "anna", "", false),
         "Driver={SQL Server};Server=db01,1433;Database=Sales;Uid=anna;Pwd=;"},
        // Nothing is trimmed; ";", braces and blanks at either end put a value in braces.
        {login(" db01 ", "x1", "My DB", "a=b", "p;w={d}'\"", false),
         "Driver={SQL Server};Server={ db01 ,x1};Database=My DB;Uid=a=b;Pwd={p;w={d}}'\"};"},
        {login("host\\SQLEXPRESS", "1433", "Σ", "Пользователь", "密码", true),
         "Driver={SQL Server};Server=host\\SQLEXPRESS;Database=Σ;Uid=Пользователь;Pwd=密码;"},
    };
    for (const Row& r : rows)
        EXPECT_EQ(sqlConnectionString(r.fields), r.expected);
}

TEST(ParadoxConnectionString, FolderGoesInTwice)
{
    const QString prefix =
        "Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox 5.X;DefaultDir=";
    for (const QString& folder :
         {QString("/home/anna/Paradox Data"), QString("/data/px/"), QString()})
        EXPECT_EQ(paradoxConnectionString(folder),
                  prefix + folder + ";Dbq=" + folder + ";CollatingSequence=ASCII;");
    EXPECT_EQ(paradoxConnectionString("/a;b}"),
              prefix + "{/a;b}}};Dbq={/a;b}}};CollatingSequence=ASCII;");
}

TEST(ParadoxFolderHasTables, LooksForTableFilesOnly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir top(dir.path());
    for (const char* sub : {"empty", "others", "hidden", "folderOnly/x.db", "nested/deeper"})
        top.mkpath(sub);
    QFile(dir.filePath("others/notes.txt")).open(QIODevice::WriteOnly);
    QFile(dir.filePath("others/t.dbf")).open(QIODevice::WriteOnly);
    QFile(dir.filePath("hidden/.Orders.DB")).open(QIODevice::WriteOnly);
    QFile(dir.filePath("nested/deeper/t.db")).open(QIODevice::WriteOnly);

    struct Row {
        QString folder;
        bool expected;
    };
    const Row rows[] = {
        {"", false},
        {dir.filePath("empty"), false},
        {dir.filePath("others"), false},
        {dir.filePath("hidden"), true},
        {dir.filePath("hidden") + "/", true},
        {dir.filePath("folderOnly"), false},
        {dir.filePath("nested"), false}, // tables below the folder are not its own
        {dir.filePath("missing"), false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(paradoxFolderHasTables(r.folder), r.expected) << r.folder.toStdString();
    EXPECT_THROW(paradoxFolderHasTables(dir.filePath(QString(300, 'x'))), FolderError);
}

// A password with semicolons, braces and blanks at either end logs in as it is.
TEST(OpenSqlConnection, PasswordsWithSemicolonsBracesAndBlanksLogIn)
{
    test::StandinServer::Options options;
    options.password = " Se;c{r}e}}t ";
    test::StandinServer server(options);
    ConnectionFields f = login("127.0.0.1", QString::number(server.port()), options.database,
                               options.user, options.password, false);
    EXPECT_TRUE(openSqlConnection(sqlConnectionString(f)));
    f.password = options.password.trimmed();
    EXPECT_FALSE(openSqlConnection(sqlConnectionString(f)));
    EXPECT_EQ(server.status().logins, 1);
}

TEST(OpenSqlConnection, FailsQuietlyWhereNothingListens)
{
    const int port = test::freePort();
    ASSERT_NE(port, 0);
    const QString cs =
        sqlConnectionString(login("127.0.0.1", QString::number(port), "master", "sa", "x", false));
    try {
        Connection c;
        c.open(cs);
        FAIL() << "a login succeeded on a port where nothing listens";
    } catch (const DataError& e) {
        if (e.state() == "IM002")
            GTEST_SKIP() << "the ODBC driver \"SQL Server\" is not registered (tools/setup "
                            "registers FreeTDS under that name)";
        EXPECT_FALSE(e.description().isEmpty());
    }
    EXPECT_FALSE(openSqlConnection(cs));
    EXPECT_FALSE(openSqlConnection("Driver={No Such Driver};Server=x;"));
    EXPECT_FALSE(openSqlConnection("garbage"));
}
