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
        c.Execute(sql);
    } catch (const DataError& e) {
        return e.description();
    }
    return {};
}

} // namespace

TEST(StagingConnection, KeepsRowsAndReportsThemWithTheirTypes)
{
    Connection c;
    c.CursorLocation = ado::adUseServer;
    c.Mode = ado::adModeReadWrite;
    c.Open(kStaging);
    c.Execute("CREATE TABLE `T`([ID] INT,[Name] TEXT,[Price] CURRENCY,[Paid] BIT,[At] DATETIME,"
              "[Photo] OLEOBJECT)");
    c.Execute("INSERT INTO [T] VALUES('1', 'it''s', '9.99', 1, '2024-02-29T13:45:30.5', 0x0102)");
    c.Execute("INSERT INTO [T] VALUES(NULL, NULL, NULL, NULL, NULL, NULL)");

    Recordset rs;
    rs.CursorLocation = ado::adUseClient;
    rs.Open("SELECT * FROM [t]", c);
    EXPECT_EQ(rs.RecordCount(), 2);
    ASSERT_EQ(rs.Fields().count(), 6);
    EXPECT_EQ(rs.Fields()[0].Type, ado::adInteger);
    EXPECT_EQ(rs.Fields()["name"].Value, Value("it's"));
    EXPECT_EQ(rs.Fields()[2].Value, Value(9.99));
    EXPECT_EQ(rs.Fields()[3].Value, Value(true));
    EXPECT_EQ(rs.Fields()[4].Value, Value(Timestamp{{2024, 2, 29}, {13, 45, 30, 500000000}}));
    EXPECT_EQ(rs.Fields()[5].Value, Value(QByteArray("\x01\x02", 2)));
    rs.MoveNext();
    for (const Field& f : rs.Fields())
        EXPECT_TRUE(f.Value.isNull()) << f.name.toStdString();
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
}

TEST(StagingConnection, RefusesWhatJetRefuses)
{
    Connection c;
    c.Open(kStaging);
    c.Execute("CREATE TABLE `T`([A] INT,[B] TEXT)");
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
    rs.CursorLocation = ado::adUseClient;
    rs.Open("SELECT * FROM [T]", c);
    EXPECT_EQ(rs.RecordCount(), 0);
}

TEST(StagingConnection, CatalogueListsUserAndSystemTablesAndDropForgets)
{
    Connection c;
    c.Open(kStaging);
    c.Execute("CREATE TABLE `Orders`([A] INT)");
    auto listed = [&c] {
        std::vector<std::pair<QString, QString>> out;
        auto rs = c.OpenSchema(ado::adSchemaTables);
        for (; !rs->Eof(); rs->MoveNext())
            out.emplace_back(rs->Fields()["TABLE_NAME"].Value.toString(),
                             rs->Fields()["TABLE_TYPE"].Value.toString());
        return out;
    };
    auto before = listed();
    EXPECT_NE(std::find(before.begin(), before.end(), std::pair<QString, QString>("Orders", "TABLE")),
              before.end());
    EXPECT_NE(std::find(before.begin(), before.end(),
                        std::pair<QString, QString>("MSysObjects", "SYSTEM TABLE")),
              before.end());
    c.Execute("DROP TABLE [ORDERS]");
    for (const auto& [name, type] : listed())
        EXPECT_NE(type, "TABLE") << name.toStdString();
}

TEST(StagingConnection, StoreLivesInATemporaryFileDeletedAtClose)
{
    auto c = std::make_unique<Connection>();
    c->Open(kStaging);
    c->Execute("CREATE TABLE `T`([A] MEMO)");
    c->Execute("INSERT INTO [T] VALUES('" + QString(100000, u'x') + "')");
    const QString path =
        dynamic_cast<staging::StagingConnection&>(c->driver()).store().filePath();
    EXPECT_TRUE(QFileInfo(path).isFile());
    // Nothing is written beside the program's data source.
    EXPECT_FALSE(QFileInfo::exists("/nonexistent/read-only/dbtemp.mdb"));
    c->Close();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_THROW(c->Execute("DROP TABLE [T]"), DataError);
}
