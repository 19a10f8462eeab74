#include "core/ConnectionString.h"
#include "core/DataError.h"
#include "data/DriverSelector.h"
#include "drivers/odbc/OdbcConnection.h"

#include <gtest/gtest.h>

using namespace tabulex;

TEST(ConnectionString, PicksTheDriverLikeAProvider)
{
    const auto kind = [](const char* cs) { return driverKindFor(parseConnectionString(cs)); };
    EXPECT_EQ(kind("Driver={SQL Server};Server=a,1;Database=d;Uid=u;Pwd=p;"), DriverKind::Odbc);
    EXPECT_EQ(kind("Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox "
                   "5.X;DefaultDir=/x;Dbq=/x;CollatingSequence=ASCII;"),
              DriverKind::Paradox);
    // The staging store is no driver: a Jet provider string picks none.
    EXPECT_EQ(kind("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/a/dbtemp.mdb;"),
              DriverKind::Unknown);
    EXPECT_EQ(kind("Server=a;Database=b;"), DriverKind::Unknown);
}

TEST(ConnectionString, BracedValuesKeepSemicolonsAndBraces)
{
    const auto keys = parseConnectionString("Driver={SQL Server};Pwd={p;w}}d};Uid=u");
    EXPECT_EQ(keys.value(u"DRIVER"), "SQL Server");
    EXPECT_EQ(keys.value(u"pwd"), "p;w}d");
    EXPECT_EQ(keys.value(u"Uid"), "u");
    EXPECT_EQ(keys.value(u"Server"), std::nullopt);
}

// Each value in the string the program builds, read back by the data layer, and as FreeTDS
// is handed it (FreeTDS does not undo "}}").
TEST(ConnectionString, AValueReachesTheDriverAsTyped)
{
    struct Row {
        const char* value;
        const char* quoted;
        const char* toFreeTds;
    };
    for (const Row& r : {Row{"Se;cret", "{Se;cret}", "{Se;cret}"}, Row{"{x}", "{{x}}}", "{{x}}"},
                         Row{"a}b", "{a}}b}", "{a}b}"}, Row{"x}", "{x}}}", "{x}}"},
                         Row{" lead", "{ lead}", "{ lead}"}, Row{"trail ", "{trail }", "{trail }"},
                         Row{"p=w'\"", "p=w'\"", "p=w'\""}, Row{"", "", ""}}) {
        EXPECT_EQ(quotedConnectionValue(r.value), r.quoted) << r.value;
        const auto keys = parseConnectionString(QStringLiteral("Uid=u;Pwd=") +
                                                quotedConnectionValue(r.value) + ";Port=1");
        EXPECT_EQ(keys.value(u"Pwd"), r.value);
        EXPECT_EQ(keys.value(u"Port"), "1") << r.value;
        EXPECT_EQ(odbc::OdbcConnection::driverConnectString(keys),
                  QStringLiteral("Uid=u;Pwd=%1;Port=1;TDS_Version=7.4;").arg(r.toFreeTds));
    }
    // FreeTDS ends a braced value at "};": such a value cannot be handed to it.
    EXPECT_THROW(odbc::OdbcConnection::driverConnectString(
                     parseConnectionString(QStringLiteral("Pwd=") + quotedConnectionValue("a};b"))),
                 DataError);
}

TEST(ConnectionString, PortlessServerGetsTheDefaultPortAndEveryLoginAPinnedProtocol)
{
    const auto sent = [](const QString& cs) {
        return odbc::OdbcConnection::driverConnectString(parseConnectionString(cs));
    };
    const QString pinned = "TDS_Version=7.4;";
    EXPECT_EQ(sent("Driver={SQL Server};Server=db1;Database=d;Uid=u;Pwd=p;"),
              "Driver={SQL Server};Server=db1;Database=d;Uid=u;Pwd=p;Port=1433;" + pinned);
    // A port or an instance name is left to the driver; braced values stay braced.
    for (const char* cs : {"Driver={SQL Server};Server=db1,1500;Database=d;Uid=u;Pwd=p;",
                           "Driver={SQL Server};Server=db1\\SQLEXPRESS;Database=d;Uid=u;Pwd=p;",
                           "Driver={SQL Server};Server=db1;Port=1600;Uid=u;Pwd={p;w}d};"})
        EXPECT_EQ(sent(cs), cs + pinned);
    // A version the string names stays the one used.
    const QString own = "Driver={SQL Server};Server=db1,1500;TDS_Version=7.2;";
    EXPECT_EQ(sent(own), own);
}
