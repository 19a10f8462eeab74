// The tables catalogue (OpenSchema 20), record counts by cursor location, and the portless
// local connection string.
#include "StandinTestBase.h"

#include "core/DataError.h"

#include <set>
#include <stdexcept>
#include <tuple>

using namespace tabulex;
using namespace tabulex::test;

namespace {

using CatalogueRow = std::tuple<std::string, std::string, std::string>; // schema, name, type

std::set<CatalogueRow> catalogue(Connection& conn)
{
    std::set<CatalogueRow> rows;
    auto rs = conn.openSchema(ado::adSchemaTables);
    for (; !rs->atEnd(); rs->moveNext()) {
        const Fields& f = rs->fields();
        rows.emplace(f[QStringLiteral("TABLE_SCHEM")].value.toText().toStdString(),
                     f[QStringLiteral("TABLE_NAME")].value.toText().toStdString(),
                     f[QStringLiteral("TABLE_TYPE")].value.toText().toStdString());
    }
    rs->close();
    return rows;
}

TEST_F(StandinTest, TablesCatalogueListsTablesViewsAndSystemTablesApart)
{
    server().execute(QStringLiteral("CREATE TABLE [Customer]([id] INT); CREATE TABLE [a]]b]([x] "
                                    "INT); CREATE SCHEMA [sales];"));
    server().execute(QStringLiteral("CREATE TABLE [sales].[Orders]([id] INT)"));
    server().execute(QStringLiteral("CREATE VIEW [Recent] AS SELECT * FROM [sales].[Orders]"));
    server().control(QStringLiteral("system_table dbo.sysdiagrams"));

    auto conn = connect();
    const auto rows = catalogue(*conn);
    for (const CatalogueRow& expected :
         {CatalogueRow{"dbo", "Customer", "TABLE"}, CatalogueRow{"dbo", "a]b", "TABLE"},
          CatalogueRow{"sales", "Orders", "TABLE"}, CatalogueRow{"dbo", "Recent", "VIEW"},
          CatalogueRow{"sys", "trace_xe_action_map", "SYSTEM TABLE"},
          CatalogueRow{"dbo", "sysdiagrams", "SYSTEM TABLE"}})
        EXPECT_EQ(rows.count(expected), 1u) << std::get<1>(expected);
    std::set<std::string> userTables;
    for (const auto& [schema, name, type] : rows)
        if (type == "TABLE")
            userTables.insert(name);
    EXPECT_EQ(userTables, (std::set<std::string>{"Customer", "a]b", "Orders"}));
}

TEST_F(StandinTest, TablesCatalogueFollowsRenamesAndDrops)
{
    auto conn = connect();
    conn->execute(QStringLiteral("CREATE TABLE [Orders]([id] INT);"));
    conn->execute(QStringLiteral("sp_rename 'Orders', 'Sales'"));
    EXPECT_EQ(catalogue(*conn).count({"dbo", "Sales", "TABLE"}), 1u);
    EXPECT_EQ(catalogue(*conn).count({"dbo", "Orders", "TABLE"}), 0u);
    conn->execute(QStringLiteral("DROP TABLE [Sales];"));
    EXPECT_EQ(catalogue(*conn).count({"dbo", "Sales", "TABLE"}), 0u);
}

struct CountCase {
    const char* what;
    int connectionLocation;
    int recordsetLocation;
    int cursorType;
    bool counted;
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << c.what; }

class RecordCounts : public StandinTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(RecordCounts, KnownForClientSideAndStaticCursorsOnly)
{
    const CountCase& c = GetParam();
    server().execute(QStringLiteral("CREATE TABLE [t]([id] INT, [s] NVARCHAR(20)); CREATE TABLE "
                                    "[empty]([id] INT)"));
    server().control(QStringLiteral("fill t 2500"));
    auto conn = connect(c.connectionLocation);
    for (const auto& [table, rows] :
         {std::pair{QStringLiteral("t"), 2500}, std::pair{QStringLiteral("empty"), 0}}) {
        Recordset rs;
        rs.cursorLocation = c.recordsetLocation;
        rs.open(QStringLiteral("SELECT * FROM [%1]").arg(table), *conn, c.cursorType);
        EXPECT_EQ(rs.recordCount(), c.counted ? rows : -1) << table.toStdString();
        int walked = 0;
        for (; !rs.atEnd(); rs.moveNext())
            ++walked;
        EXPECT_EQ(walked, rows);
        rs.close();
    }
}

INSTANTIATE_TEST_SUITE_P(
    CursorLocations, RecordCounts,
    ::testing::Values(
        CountCase{"server_side", ado::adUseServer, ado::adUseServer, -1, false},
        CountCase{"client_side_connection", ado::adUseClient, ado::adUseServer, -1, true},
        CountCase{"client_side_recordset", ado::adUseServer, ado::adUseClient, -1, true},
        CountCase{"static_cursor", ado::adUseServer, ado::adUseServer, ado::adOpenStatic, true}),
    [](const ::testing::TestParamInfo<CountCase>& param) { return std::string(param.param.what); });

TEST_F(StandinTest, ClosingARecordsetEarlyLeavesTheConnectionUsable)
{
    server().execute(QStringLiteral("CREATE TABLE [t]([id] INT, [s] NVARCHAR(20))"));
    server().control(QStringLiteral("fill t 50000"));
    auto conn = connect();
    {
        Recordset rs;
        rs.open(QStringLiteral("SELECT * FROM [t]"), *conn);
        rs.moveNext();
        rs.close();
    }
    Recordset rs;
    rs.open(QStringLiteral("SELECT top 1 * FROM [t]"), *conn);
    ASSERT_FALSE(rs.atEnd());
    rs.moveNext();
    EXPECT_TRUE(rs.atEnd());
}

TEST_F(StandinTest, AnOpenRecordsetDoesNotHoldUpOtherConnections)
{
    server().execute(QStringLiteral("CREATE TABLE [big]([id] INT, [s] NVARCHAR(40)); CREATE "
                                    "TABLE [other]([id] INT)"));
    server().control(QStringLiteral("fill big 200000"));
    auto reader = connect();
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [big]"), *reader);
    for (int i = 0; i < 10; ++i)
        rs.moveNext();
    auto writer = connect();
    writer->execute(QStringLiteral("INSERT INTO [other] VALUES('1')"));
    writer->execute(QStringLiteral("sp_rename 'other', 'renamed'"));
    writer->execute(QStringLiteral("DROP TABLE [renamed];"));
    qint64 rows = 10;
    for (; !rs.atEnd(); rs.moveNext())
        ++rows;
    EXPECT_EQ(rows, 200000);
}

TEST_F(StandinTest, ClosingTheConnectionBeforeItsRecordsetIsHarmless)
{
    server().execute(QStringLiteral("CREATE TABLE [t]([id] INT)"));
    server().control(QStringLiteral("fill t 10000"));
    auto conn = connect();
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [t]"), *conn);
    ASSERT_FALSE(rs.atEnd());
    conn->close();
    conn.reset();
    EXPECT_THROW(
        {
            while (!rs.atEnd())
                rs.moveNext();
        },
        DataError);
}

// "Local Connection" leaves the port out; the driver layer then reaches port 1433.
TEST(LocalConnection, PortlessServerReachesPort1433)
{
    StandinServer::Options options;
    options.port = 1433;
    std::unique_ptr<StandinServer> local;
    try {
        local = std::make_unique<StandinServer>(options);
    } catch (const std::runtime_error& e) {
        GTEST_SKIP() << "port 1433 of 127.0.0.1 is taken on this machine, so the portless form "
                        "cannot be tried end to end: "
                     << e.what();
    }
    Connection c;
    c.open(QStringLiteral("Driver={SQL Server};Server=127.0.0.1;Database=%1;Uid=%2;Pwd=%3;")
               .arg(local->database(), local->user(), local->password()));
    EXPECT_EQ(c.state(), ado::adStateOpen);
    c.execute(QStringLiteral("CREATE TABLE [local]([a] INT);"));
    EXPECT_EQ(local->query(QStringLiteral("SELECT COUNT(*) FROM [local]")).at(0).at(0).toInt(), 0);
}

} // namespace

// A counted recordset over a whole table reads ahead on a thread of its own; leaving it early,
// or closing its connection first, stops that reading and leaves nothing hanging.
TEST_F(StandinTest, ACountedRecordsetLeftEarlyStopsReadingAhead)
{
    server().execute(QStringLiteral("CREATE TABLE [t]([id] INT, [s] NVARCHAR(20))"));
    server().control(QStringLiteral("fill t 50000"));
    auto conn = connect(ado::adUseClient);
    {
        Recordset rs;
        rs.open(QStringLiteral("SELECT * FROM [t]"), *conn);
        EXPECT_EQ(rs.recordCount(), 50000);
        for (int i = 0; i < 10; ++i)
            rs.moveNext();
        EXPECT_FALSE(rs.atEnd());
    }
    Recordset top;
    top.open(QStringLiteral("SELECT top 1 * FROM [t]"), *conn);
    EXPECT_EQ(top.recordCount(), 1);
    top.close();

    auto other = connect(ado::adUseClient);
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [t]"), *other);
    rs.moveNext();
    other->close();
    EXPECT_THROW(rs.moveNext(), DataError);
}
