#include "data/Connection.h"
#include "core/DataError.h"
#include "data/Recordset.h"
#include "staging/StagingConnection.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace tabulex;

namespace {

const QString kStaging = QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/nonexistent/"
                                        "read-only/dbtemp.mdb;");

QString errorOf(Connection& c, const QString& sql)
{
    try {
        c.execute(sql);
    } catch (const DataError& e) {
        return e.description();
    }
    return {};
}

} // namespace

TEST(StagingConnection, KeepsRowsAndReportsThemWithTheirTypes)
{
    Connection c;
    c.cursorLocation = ado::adUseServer;
    c.mode = ado::adModeReadWrite;
    c.open(kStaging);
    c.execute("CREATE TABLE `T`([ID] INT,[Name] TEXT,[Price] CURRENCY,[Paid] BIT,[At] DATETIME,"
              "[Photo] OLEOBJECT)");
    c.execute("INSERT INTO [T] VALUES('1', 'it''s', '9.99', 1, '2024-02-29T13:45:30.5', 0x0102)");
    c.execute("INSERT INTO [T] VALUES(NULL, NULL, NULL, NULL, NULL, NULL)");

    Recordset rs;
    rs.cursorLocation = ado::adUseClient;
    rs.open("SELECT * FROM [t]", c);
    EXPECT_EQ(rs.recordCount(), 2);
    ASSERT_EQ(rs.fields().count(), 6);
    EXPECT_EQ(rs.fields()[0].type, ado::adInteger);
    EXPECT_EQ(rs.fields()["name"].value, Value("it's"));
    EXPECT_EQ(rs.fields()[2].value, Value(9.99));
    EXPECT_EQ(rs.fields()[3].value, Value(true));
    EXPECT_EQ(rs.fields()[4].value, Value(Timestamp{{2024, 2, 29}, {13, 45, 30, 500000000}}));
    EXPECT_EQ(rs.fields()[5].value, Value(QByteArray("\x01\x02", 2)));
    rs.moveNext();
    for (const Field& f : rs.fields())
        EXPECT_TRUE(f.value.isNull()) << f.name.toStdString();
    rs.moveNext();
    EXPECT_TRUE(rs.atEnd());
}

TEST(StagingConnection, RefusesWhatJetRefuses)
{
    Connection c;
    c.open(kStaging);
    c.execute("CREATE TABLE `T`([A] INT,[B] TEXT)");
    EXPECT_EQ(errorOf(c, "CREATE TABLE `t`([A] INT)"), "Table 't' already exists.");
    EXPECT_EQ(errorOf(c, "INSERT INTO [T] VALUES('1')"),
              "Number of query values and destination fields are not the same.");
    EXPECT_TRUE(errorOf(c, "INSERT INTO [Nope] VALUES('1')").contains("'Nope'"));
    EXPECT_EQ(errorOf(c, "DROP TABLE [Nope]"), "Table 'Nope' does not exist.");
    EXPECT_TRUE(errorOf(c, "CREATE TABLE `U`([A] BLOB)").contains("BLOB"));
    EXPECT_TRUE(errorOf(c, "CREATE TABLE `U`([A] INT,[a] TEXT)").contains("already exists"));
    EXPECT_TRUE(errorOf(c, "INSERT INTO [T] VALUES('1.5', 'x')").contains("'A'"));
    // A refused row leaves nothing behind.
    Recordset rs;
    rs.cursorLocation = ado::adUseClient;
    rs.open("SELECT * FROM [T]", c);
    EXPECT_EQ(rs.recordCount(), 0);
}

TEST(StagingConnection, CatalogueListsUserAndSystemTablesAndDropForgets)
{
    Connection c;
    c.open(kStaging);
    c.execute("CREATE TABLE `Orders`([A] INT)");
    auto listed = [&c] {
        std::vector<std::pair<QString, QString>> out;
        auto rs = c.openSchema(ado::adSchemaTables);
        for (; !rs->atEnd(); rs->moveNext())
            out.emplace_back(rs->fields()["TABLE_NAME"].value.toString(),
                             rs->fields()["TABLE_TYPE"].value.toString());
        return out;
    };
    auto before = listed();
    EXPECT_NE(std::find(before.begin(), before.end(), std::pair<QString, QString>("Orders", "TABLE")),
              before.end());
    EXPECT_NE(std::find(before.begin(), before.end(),
                        std::pair<QString, QString>("MSysObjects", "SYSTEM TABLE")),
              before.end());
    c.execute("DROP TABLE [ORDERS]");
    for (const auto& [name, type] : listed())
        EXPECT_NE(type, "TABLE") << name.toStdString();
}

TEST(StagingConnection, StoreLivesInATemporaryFileDeletedAtClose)
{
    auto c = std::make_unique<Connection>();
    c->open(kStaging);
    c->execute("CREATE TABLE `T`([A] MEMO)");
    c->execute("INSERT INTO [T] VALUES('" + QString(100000, u'x') + "')");
    const QString path =
        dynamic_cast<staging::StagingConnection&>(c->driver()).store().filePath();
    EXPECT_TRUE(QFileInfo(path).isFile());
    // Nothing is written beside the program's data source.
    EXPECT_FALSE(QFileInfo::exists("/nonexistent/read-only/dbtemp.mdb"));
    c->close();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_THROW(c->execute("DROP TABLE [T]"), DataError);
}
