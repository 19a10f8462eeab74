// Keys, identity columns and the types of a shape-keeping table as the FreeTDS driver reports
// them from the stand-in, through the ODBC calls themselves (SQLPrimaryKeys, SQLDescribeCol,
// SQLColAttribute) and the errors a load meets (duplicate key, explicit identity value).
#include "StandinTestBase.h"

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <tuple>
#include <vector>

using namespace tabulex::test;

namespace {

// One ODBC 3 connection to the stand-in, statements executed directly.
class RawOdbc {
public:
    explicit RawOdbc(const QString& connectionString)
    {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_env);
        SQLSetEnvAttr(m_env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, m_env, &m_dbc);
        QByteArray text = connectionString.toUtf8();
        m_connected =
            SQL_SUCCEEDED(SQLDriverConnect(m_dbc, nullptr, reinterpret_cast<SQLCHAR*>(text.data()),
                                           SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
        SQLAllocHandle(SQL_HANDLE_STMT, m_dbc, &m_stmt);
    }
    ~RawOdbc()
    {
        SQLFreeHandle(SQL_HANDLE_STMT, m_stmt);
        SQLDisconnect(m_dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, m_dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, m_env);
    }
    RawOdbc(const RawOdbc&) = delete;
    RawOdbc& operator=(const RawOdbc&) = delete;

    bool connected() const { return m_connected; }
    SQLHSTMT stmt() const { return m_stmt; }

    // The return code of SQLExecDirect; the statement's results are closed afterwards
    // unless keepOpen.
    SQLRETURN execute(const std::string& sql, bool keepOpen = false)
    {
        SQLFreeStmt(m_stmt, SQL_CLOSE);
        std::string copy = sql;
        SQLRETURN rc = SQLExecDirect(m_stmt, reinterpret_cast<SQLCHAR*>(copy.data()), SQL_NTS);
        if (!keepOpen && rc != SQL_ERROR) {
            while (SQLMoreResults(m_stmt) == SQL_SUCCESS) {
            }
        }
        return rc;
    }

    // The first diagnostic record of the statement: native error, SQLSTATE, text.
    std::tuple<int, std::string, std::string> diagnostic() const
    {
        SQLCHAR state[6] = {};
        SQLCHAR text[1024] = {};
        SQLINTEGER native = 0;
        SQLSMALLINT length = 0;
        SQLGetDiagRec(SQL_HANDLE_STMT, m_stmt, 1, state, &native, text, SQLSMALLINT(sizeof text),
                      &length);
        return {int(native), reinterpret_cast<char*>(state), reinterpret_cast<char*>(text)};
    }

    // Every row of the open result as text (NULL as "<NULL>").
    std::vector<std::vector<std::string>> rows() const
    {
        SQLSMALLINT columns = 0;
        SQLNumResultCols(m_stmt, &columns);
        std::vector<std::vector<std::string>> out;
        while (SQL_SUCCEEDED(SQLFetch(m_stmt))) {
            std::vector<std::string> row;
            for (SQLUSMALLINT i = 1; i <= columns; ++i) {
                char buffer[512] = {};
                SQLLEN indicator = 0;
                SQLGetData(m_stmt, i, SQL_C_CHAR, buffer, sizeof buffer, &indicator);
                row.emplace_back(indicator == SQL_NULL_DATA ? "<NULL>" : buffer);
            }
            out.push_back(row);
        }
        SQLFreeStmt(m_stmt, SQL_CLOSE);
        return out;
    }

private:
    SQLHENV m_env = SQL_NULL_HENV;
    SQLHDBC m_dbc = SQL_NULL_HDBC;
    SQLHSTMT m_stmt = SQL_NULL_HSTMT;
    bool m_connected = false;
};

using Rows = std::vector<std::vector<std::string>>;

TEST_F(StandinTest, KeysIdentityAndTypesReachTheOdbcCalls)
{
    server().execute(QStringLiteral(
        "CREATE TABLE [Keyed]([name] NVARCHAR(30), [id] INT IDENTITY(1,1), [a] SMALLINT, [b] "
        "FLOAT, [m] MONEY, [d] DECIMAL(9,2), [day] DATE, [t] TIME(3), [ts] DATETIME2(3), [ok] "
        "BIT, [blob] VARBINARY(MAX), [memo] NVARCHAR(MAX) NOT NULL, CONSTRAINT [PK_Keyed] "
        "PRIMARY KEY ([a], [name]))"));
    RawOdbc odbc(server().connectionString());
    ASSERT_TRUE(odbc.connected());

    // SQLPrimaryKeys: sp_pkeys, key columns in key order.
    ASSERT_TRUE(SQL_SUCCEEDED(SQLPrimaryKeys(odbc.stmt(), nullptr, 0, nullptr, 0,
                                             reinterpret_cast<SQLCHAR*>(const_cast<char*>("Keyed")),
                                             SQL_NTS)));
    EXPECT_EQ(odbc.rows(), (Rows{{"tabulex", "dbo", "Keyed", "a", "1", "PK_Keyed"},
                                 {"tabulex", "dbo", "Keyed", "name", "2", "PK_Keyed"}}));

    // SQLColumns: sp_columns; an identity column's type name says so.
    ASSERT_TRUE(SQL_SUCCEEDED(SQLColumns(odbc.stmt(), nullptr, 0, nullptr, 0,
                                         reinterpret_cast<SQLCHAR*>(const_cast<char*>("Keyed")),
                                         SQL_NTS, nullptr, 0)));
    Rows described;
    for (const auto& row : odbc.rows())
        if (row[3] == "name" || row[3] == "id" || row[3] == "a" || row[3] == "m")
            described.push_back({row[3], row[4], row[5], row[6], row[10]});
    EXPECT_EQ(described, (Rows{{"name", "-9", "nvarchar", "30", "0"},
                               {"id", "4", "int identity", "10", "0"},
                               {"a", "5", "smallint", "5", "0"},
                               {"m", "3", "money", "19", "1"}}));

    // Result metadata: ODBC types, sizes, digits, nullability and the identity flag.
    ASSERT_TRUE(SQL_SUCCEEDED(odbc.execute("SELECT * FROM [Keyed]", true)));
    struct Expected {
        const char* name;
        SQLSMALLINT type;
        SQLULEN size;
        SQLSMALLINT digits;
        SQLSMALLINT nullable;
        SQLLEN identity;
    };
    const std::vector<Expected> expected = {
        {"name", SQL_WVARCHAR, 30, 0, SQL_NO_NULLS, SQL_FALSE},
        {"id", SQL_INTEGER, 10, 0, SQL_NO_NULLS, SQL_TRUE},
        {"a", SQL_SMALLINT, 5, 0, SQL_NO_NULLS, SQL_FALSE},
        {"b", SQL_DOUBLE, 53, 0, SQL_NULLABLE, SQL_FALSE},
        {"m", SQL_DECIMAL, 19, 4, SQL_NULLABLE, SQL_FALSE},
        {"d", SQL_NUMERIC, 9, 2, SQL_NULLABLE, SQL_FALSE}, // decimal: as numeric
        {"day", SQL_TYPE_DATE, 10, 0, SQL_NULLABLE, SQL_FALSE},
        {"t", -154 /* SQL_SS_TIME2 */, 12, 3, SQL_NULLABLE, SQL_FALSE},
        {"ts", SQL_TYPE_TIMESTAMP, 23, 3, SQL_NULLABLE, SQL_FALSE},
        {"ok", SQL_BIT, 1, 0, SQL_NULLABLE, SQL_FALSE},
        {"blob", SQL_VARBINARY, 0, 0, SQL_NULLABLE, SQL_FALSE},
        {"memo", SQL_WVARCHAR, 0, 0, SQL_NO_NULLS, SQL_FALSE}};
    for (size_t i = 0; i < expected.size(); ++i) {
        SQLCHAR name[64] = {};
        SQLSMALLINT nameLength = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        SQLLEN identity = -1;
        SQLDescribeCol(odbc.stmt(), SQLUSMALLINT(i + 1), name, sizeof name, &nameLength, &type,
                       &size, &digits, &nullable);
        SQLColAttribute(odbc.stmt(), SQLUSMALLINT(i + 1), SQL_DESC_AUTO_UNIQUE_VALUE, nullptr, 0,
                        nullptr, &identity);
        const Expected& e = expected[i];
        EXPECT_EQ(reinterpret_cast<char*>(name), std::string(e.name));
        EXPECT_EQ(std::make_tuple(type, size, digits, nullable, identity),
                  std::make_tuple(e.type, e.size, e.digits, e.nullable, e.identity))
            << e.name;
    }
    SQLFreeStmt(odbc.stmt(), SQL_CLOSE);

    // A load with its identity values kept, then the errors SQL Server gives.
    const std::string columns = "([name], [id], [a], [ok], [memo])";
    EXPECT_EQ(odbc.execute("SET IDENTITY_INSERT [Keyed] ON"), SQL_NO_DATA);
    EXPECT_EQ(odbc.execute("INSERT INTO [Keyed]" + columns +
                           " VALUES(N'x', 7, 1, 1, N''), (N'y', 3, 1, 0, N'')"),
              SQL_SUCCESS);
    EXPECT_EQ(odbc.execute("INSERT INTO [Keyed]" + columns + " VALUES(N'X ', 9, 1, 1, N'')"),
              SQL_ERROR);
    EXPECT_EQ(
        odbc.diagnostic(),
        std::make_tuple(2627, std::string("23000"),
                        std::string("[FreeTDS][SQL Server]Violation of PRIMARY KEY "
                                    "constraint 'PK_Keyed'. Cannot insert duplicate key in "
                                    "object 'dbo.Keyed'. The duplicate key value is (1, X ).")));
    EXPECT_EQ(odbc.execute("SET IDENTITY_INSERT [Keyed] OFF"), SQL_NO_DATA);
    EXPECT_EQ(odbc.execute("INSERT INTO [Keyed]" + columns + " VALUES(N'z', 8, 2, 1, N'')"),
              SQL_ERROR);
    EXPECT_EQ(std::get<0>(odbc.diagnostic()), 544);
    EXPECT_EQ(odbc.execute("INSERT INTO [Keyed]([name], [a], [memo]) VALUES(N'z', 2, NULL)"),
              SQL_ERROR);
    EXPECT_EQ(std::get<0>(odbc.diagnostic()), 515);
    EXPECT_EQ(odbc.execute("INSERT INTO [Keyed]([name], [a], [memo]) VALUES(N'z', 2, N'')"),
              SQL_SUCCESS);
    ASSERT_TRUE(SQL_SUCCEEDED(odbc.execute("SELECT [id], [name] FROM [Keyed]", true)));
    EXPECT_EQ(odbc.rows(), (Rows{{"7", "x"}, {"3", "y"}, {"8", "z"}}));
    ASSERT_TRUE(SQL_SUCCEEDED(odbc.execute("SELECT IDENT_CURRENT('Keyed')", true)));
    EXPECT_EQ(odbc.rows(), (Rows{{"8"}}));
}

} // namespace
