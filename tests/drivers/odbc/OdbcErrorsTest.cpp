// Failures as the program sees them: the driver's diagnostic text, native number and state,
// time-outs that reach the driver, logins that fail, connections that break.
#include "StandinTestBase.h"

#include "core/DataError.h"

#include <QElapsedTimer>

#include <algorithm>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tabulex;
using namespace tabulex::test;

namespace {

struct ErrorCase {
    const char* statement;
    int native;
    const char* state;
    const char* text;
};

class StatementErrors : public StandinTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(StatementErrors, CarryTheDriversDiagnostic)
{
    const ErrorCase& c = GetParam();
    auto conn = connect();
    conn->execute(QStringLiteral("CREATE TABLE [t]([n] INT, [s] VARCHAR(3), [d] DATETIME, "
                                 "[m] DECIMAL(5,2), [b] VARBINARY(MAX))"));
    try {
        Recordset rs;
        rs.open(QString::fromUtf8(c.statement), *conn);
        FAIL() << "no error for " << c.statement;
    } catch (const DataError& e) {
        EXPECT_EQ(e.description().toStdString(), c.text);
        EXPECT_EQ(e.nativeError(), c.native);
        EXPECT_EQ(e.state().toStdString(), c.state);
    }
    // The connection stays usable after a failed statement.
    EXPECT_NO_THROW(conn->execute(QStringLiteral("INSERT INTO [t] VALUES('1', NULL, NULL, NULL, "
                                                 "NULL)")));
}

INSTANTIATE_TEST_SUITE_P(
    SqlServerErrors, StatementErrors,
    ::testing::Values(
        ErrorCase{"SELECT * FROM [x]", 208, "42S02",
                  "[FreeTDS][SQL Server]Invalid object name 'x'."},
        ErrorCase{"DROP TABLE [x];", 3701, "42S02",
                  "[FreeTDS][SQL Server]Cannot drop the table "
                  "'x', because it does not exist or you do not have permission."},
        ErrorCase{"CREATE TABLE [t]([a] INT)", 2714, "42S01",
                  "[FreeTDS][SQL Server]There is already an object named 't' in the database."},
        ErrorCase{"CREATE TABLE [u]([a] TEXT, [b] INT, [c] BLOB);", 2715, "42000",
                  "[FreeTDS][SQL Server]Column, parameter, or variable #3: Cannot find data "
                  "type BLOB."},
        ErrorCase{"INSERT INTO [t] VALUES('1.5', NULL, NULL, NULL, NULL)", 245, "22018",
                  "[FreeTDS][SQL Server]Conversion failed when converting the varchar value "
                  "'1.5' to data type int."},
        ErrorCase{"INSERT INTO [t] VALUES(NULL, 'abcd', NULL, NULL, NULL)", 8152, "22001",
                  "[FreeTDS][SQL Server]String or binary data would be truncated."},
        ErrorCase{"INSERT INTO [t] VALUES(NULL, NULL, '2023-02-29', NULL, NULL)", 242, "22007",
                  "[FreeTDS][SQL Server]The conversion of a varchar data type to a datetime "
                  "data type resulted in an out-of-range value."},
        ErrorCase{"INSERT INTO [t] VALUES(NULL, NULL, 'soon', NULL, NULL)", 241, "22007",
                  "[FreeTDS][SQL Server]Conversion failed when converting date and/or time "
                  "from character string."},
        ErrorCase{"INSERT INTO [t] VALUES(NULL, NULL, NULL, 'x', NULL)", 8114, "42000",
                  "[FreeTDS][SQL Server]Error converting data type varchar to numeric."},
        ErrorCase{"INSERT INTO [t] VALUES(NULL, NULL, NULL, '1000', NULL)", 8115, "HY019",
                  "[FreeTDS][SQL Server]Arithmetic overflow error converting varchar to data "
                  "type numeric."},
        ErrorCase{"INSERT INTO [t] VALUES(NULL, NULL, NULL, NULL, '0102')", 257, "22018",
                  "[FreeTDS][SQL Server]Implicit conversion from data type varchar to "
                  "varbinary(max) is not allowed. Use the CONVERT function to run this query."},
        ErrorCase{"INSERT INTO [t] VALUES('1')", 213, "21S01",
                  "[FreeTDS][SQL Server]Column name "
                  "or number of supplied values does not match table definition."},
        ErrorCase{"sp_rename 'x', 'y'", 15225, "42000",
                  "[FreeTDS][SQL Server]No item by the "
                  "name of 'x' could be found in the current database 'tabulex', given that "
                  "@itemtype was input as '(null)'."}));

TEST_F(StandinTest, RenameAndDdlSucceedDespiteInfoAndNoData)
{
    auto conn = connect();
    conn->execute(QStringLiteral("CREATE TABLE [Orders]([a] INT);"));
    conn->execute(QStringLiteral("sp_rename 'Orders', 'Sales'"));
    EXPECT_EQ(server().query(QStringLiteral("SELECT COUNT(*) FROM [Sales]")).at(0).at(0).toInt(),
              0);
    conn->execute(QStringLiteral("DROP TABLE [Sales];"));
}

TEST_F(StandinTest, InjectedFailureCarriesItsNumberAndText)
{
    server().execute(QStringLiteral("CREATE TABLE [t]([a] INT)"));
    server().failStatements(QStringLiteral("^INSERT INTO \\[t\\]"), 50001,
                            QStringLiteral("Injected failure"), 1);
    auto conn = connect();
    try {
        conn->execute(QStringLiteral("INSERT INTO [t] VALUES('1')"));
        FAIL() << "the injected failure did not happen";
    } catch (const DataError& e) {
        EXPECT_EQ(e.nativeError(), 50001);
        EXPECT_EQ(e.description(), QStringLiteral("[FreeTDS][SQL Server]Injected failure"));
    }
    conn->execute(QStringLiteral("INSERT INTO [t] VALUES('2')"));
    EXPECT_EQ(server().query(QStringLiteral("SELECT * FROM [t]")).size(), 1u);
}

TEST_F(StandinTest, CommandTimeoutCancelsASlowStatementAndTheConnectionGoesOn)
{
    server().execute(QStringLiteral("CREATE TABLE [t]([a] INT)"));
    server().control(QStringLiteral("delay 4000 ^INSERT"));
    auto conn = connect();
    conn->commandTimeout = 1;
    QElapsedTimer timer;
    timer.start();
    try {
        conn->execute(QStringLiteral("INSERT INTO [t] VALUES('1')"));
        FAIL() << "no time-out";
    } catch (const DataError& e) {
        EXPECT_EQ(e.state(), QStringLiteral("HYT00")) << e.description().toStdString();
    }
    EXPECT_LT(timer.elapsed(), 3500);
    server().control(QStringLiteral("clear"));
    conn->execute(QStringLiteral("INSERT INTO [t] VALUES('2')"));
    const auto rows = server().query(QStringLiteral("SELECT * FROM [t]"));
    ASSERT_EQ(rows.size(), 1u); // the cancelled INSERT never ran
    EXPECT_EQ(rows[0][0].toInt(), 2);
}

TEST_F(StandinTest, DroppedConnectionFailsTheNextStatementWithoutHanging)
{
    auto conn = connect();
    server().control(QStringLiteral("drop_after 0"));
    EXPECT_THROW(conn->execute(QStringLiteral("CREATE TABLE [t]([a] INT)")), DataError);
    EXPECT_THROW(conn->execute(QStringLiteral("CREATE TABLE [t]([a] INT)")), DataError);
    EXPECT_NO_THROW(connect()->execute(QStringLiteral("CREATE TABLE [t]([a] INT)")));
}

// A port where nothing listens: bound and closed again.
int closedPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    bind(fd, reinterpret_cast<sockaddr*>(&addr), len);
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    close(fd);
    return ntohs(addr.sin_port);
}

struct LoginCase {
    const char* what;
    QString (*connectionString)(const StandinServer&);
    const char* text; // the start of the first diagnostic
};

void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.what; }

class FailedLogins : public StandinTest, public ::testing::WithParamInterface<LoginCase> {};

TEST_P(FailedLogins, OpenRaisesTheDriversText)
{
    Connection c;
    try {
        c.open(GetParam().connectionString(server()));
        FAIL() << "the login succeeded";
    } catch (const DataError& e) {
        EXPECT_TRUE(e.description().startsWith(QString::fromUtf8(GetParam().text)))
            << e.description().toStdString();
    }
    EXPECT_EQ(c.state(), ado::adStateClosed);
}

INSTANTIATE_TEST_SUITE_P(
    Logins, FailedLogins,
    ::testing::Values(LoginCase{"wrong password",
                                [](const StandinServer& s) {
                                    return s.connectionString(s.user(), QStringLiteral("wrong"),
                                                              s.database());
                                },
                                "[FreeTDS][SQL Server]Login failed for user 'tabulex'."},
                      LoginCase{"unknown user",
                                [](const StandinServer& s) {
                                    return s.connectionString(QStringLiteral("nobody"),
                                                              s.password(), s.database());
                                },
                                "[FreeTDS][SQL Server]Login failed for user 'nobody'."},
                      LoginCase{"unknown database",
                                [](const StandinServer& s) {
                                    return s.connectionString(s.user(), s.password(),
                                                              QStringLiteral("nodb"));
                                },
                                // FreeTDS lists 18456 before 4060 "Cannot open database"
                                "[FreeTDS][SQL Server]Login failed for user 'tabulex'."},
                      LoginCase{"nothing listening",
                                [](const StandinServer& s) {
                                    return s.connectionString().replace(
                                        QString::number(s.port()), QString::number(closedPort()));
                                },
                                "[FreeTDS][SQL Server]Unable to connect"}),
    [](const ::testing::TestParamInfo<LoginCase>& param) {
        std::string name = param.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST_F(StandinTest, RefusedAndSlowLoginsFail)
{
    server().control(QStringLiteral("refuse_logins on"));
    EXPECT_THROW(connect(), DataError);
    server().control(QStringLiteral("refuse_logins close"));
    EXPECT_THROW(connect(), DataError);
    server().control(QStringLiteral("clear"));

    server().control(QStringLiteral("delay_login 4000"));
    Connection c;
    c.connectionTimeout = 1;
    QElapsedTimer timer;
    timer.start();
    EXPECT_THROW(c.open(server().connectionString()), DataError);
    EXPECT_LT(timer.elapsed(), 3500);
    server().control(QStringLiteral("delay_login 0"));
}

} // namespace
