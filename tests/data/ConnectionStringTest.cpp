#include "core/ConnectionString.h"
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

TEST(ConnectionString, BracedValuesKeepSemicolons)
{
    const auto keys = parseConnectionString("Driver={SQL Server};Pwd={p;w}}d};Uid=u");
    EXPECT_EQ(keys.value(u"DRIVER"), "SQL Server");
    EXPECT_EQ(keys.value(u"pwd"), "p;w}}d");
    EXPECT_EQ(keys.value(u"Uid"), "u");
    EXPECT_EQ(keys.value(u"Server"), std::nullopt);
}

TEST(ConnectionString, PortlessServerGetsTheDefaultPort)
{
    const auto sent = [](const char* cs) {
        return odbc::OdbcConnection::driverConnectString(parseConnectionString(cs));
    };
    EXPECT_EQ(sent("Driver={SQL Server};Server=db1;Database=d;Uid=u;Pwd=p;"),
              "Driver={SQL Server};Server=db1;Database=d;Uid=u;Pwd=p;Port=1433;");
    // A port or an instance name is left to the driver; braced values stay braced.
    for (const char* cs : {"Driver={SQL Server};Server=db1,1500;Database=d;Uid=u;Pwd=p;",
                           "Driver={SQL Server};Server=db1\\SQLEXPRESS;Database=d;Uid=u;Pwd=p;",
                           "Driver={SQL Server};Server=db1;Port=1600;Uid=u;Pwd={p;w}}d};"})
        EXPECT_EQ(sent(cs), cs);
}
