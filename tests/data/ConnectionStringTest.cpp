#include "data/DriverSelector.h"
#include "drivers/odbc/OdbcConnection.h"

#include <gtest/gtest.h>

using namespace tabulex;

TEST(ConnectionString, PicksTheDriverLikeAProvider)
{
    EXPECT_EQ(driverKindFor("Driver={SQL Server};Server=a,1;Database=d;Uid=u;Pwd=p;"),
              DriverKind::Odbc);
    EXPECT_EQ(driverKindFor("Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox "
                            "5.X;DefaultDir=/x;Dbq=/x;CollatingSequence=ASCII;"),
              DriverKind::Paradox);
    // The staging store is no driver: a Jet provider string picks none.
    EXPECT_EQ(driverKindFor("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=/a/dbtemp.mdb;"),
              DriverKind::Unknown);
    EXPECT_EQ(driverKindFor("Server=a;Database=b;"), DriverKind::Unknown);
}

TEST(ConnectionString, BracedValuesKeepSemicolons)
{
    auto keys = parseConnectionString("Driver={SQL Server};Pwd={p;w}}d};Uid=u");
    EXPECT_EQ(keys["DRIVER"], "SQL Server");
    EXPECT_EQ(keys["PWD"], "p;w}}d");
    EXPECT_EQ(keys["UID"], "u");
}

TEST(ConnectionString, PortlessServerGetsTheDefaultPort)
{
    using odbc::OdbcConnection;
    EXPECT_EQ(OdbcConnection::adaptConnectionString(
                  "Driver={SQL Server};Server=db1;Database=d;Uid=u;Pwd=p;"),
              "Driver={SQL Server};Server=db1;Database=d;Uid=u;Pwd=p;Port=1433;");
    // A port or an instance name is left to the driver.
    for (const char* cs : {"Driver={SQL Server};Server=db1,1500;Database=d;Uid=u;Pwd=p;",
                           "Driver={SQL Server};Server=db1\\SQLEXPRESS;Database=d;Uid=u;Pwd=p;",
                           "Driver={SQL Server};Server=db1;Port=1600;Uid=u;Pwd=p;"})
        EXPECT_EQ(OdbcConnection::adaptConnectionString(cs), cs);
}
