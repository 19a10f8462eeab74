// The Paradox driver through the data access layer, on copies of real Paradox tables.
#include "TestPaths.h"

#include "core/DataError.h"
#include "data/Connection.h"
#include "data/Recordset.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace tabulex {
namespace {

QString connectionString(const QString& folder)
{
    return QStringLiteral("Driver={Microsoft Paradox Driver (*.db )};DriverID=538;Fil=Paradox "
                          "5.X;DefaultDir=") +
           folder + QStringLiteral(";Dbq=") + folder + QStringLiteral(";CollatingSequence=ASCII;");
}

// A writable copy of one fixture folder ("db" or "fields") in a folder whose name has a space.
class ParadoxFolder : public ::testing::Test {
protected:
    void copy(const QString& subfolder)
    {
        ASSERT_TRUE(m_tmp.isValid());
        m_folder = m_tmp.path() + QStringLiteral("/Paradox data");
        ASSERT_TRUE(QDir().mkpath(m_folder));
        const QDir source(test::paradoxFixtures() + u'/' + subfolder);
        for (const QString& name : source.entryList(QDir::Files)) {
            const QString target = m_folder + u'/' + name;
            ASSERT_TRUE(QFile::copy(source.filePath(name), target));
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        }
    }

    void open(Connection& c, const QString& suffix = {})
    {
        c.cursorLocation = ado::adUseClient;
        c.open(connectionString(m_folder + suffix));
    }

    QStringList files() const { return QDir(m_folder).entryList(QDir::Files, QDir::Name); }

    QTemporaryDir m_tmp;
    QString m_folder;
};

QString errorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const DataError& e) {
        return e.description();
    }
    return QStringLiteral("no error");
}

TEST_F(ParadoxFolder, readsATableWhoseNameDiffersInCaseWithItsRowCountKnownFirst)
{
    TABULEX_REQUIRE_FIXTURES();
    copy(QStringLiteral("db"));
    Connection c;
    open(c, QStringLiteral("/"));
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [orders]"), c);
    EXPECT_EQ(rs.recordCount(), 224);
    ASSERT_EQ(rs.fields().count(), 11);
    const Fields& f = rs.fields();
    EXPECT_EQ(f["Order No"].type, ado::adDouble);
    EXPECT_EQ(f["Order No"].value, Value(1001.0));
    EXPECT_EQ(f["Sale Date"].type, ado::adDBDate);
    EXPECT_EQ(f["Sale Date"].value, Value(Date{1988, 4, 3}));
    EXPECT_EQ(f["Ship VIA"].type, ado::adVarChar);
    EXPECT_EQ(f["Ship VIA"].definedSize, 7);
    EXPECT_EQ(f["Ship VIA"].value, Value(QStringLiteral("UPS")));
    EXPECT_EQ(f["Total Invoice"].type, ado::adDouble) << "Money";
    int rows = 0;
    for (; !rs.atEnd(); rs.moveNext())
        ++rows;
    EXPECT_EQ(rows, 224);
}

TEST_F(ParadoxFolder, answersTheFirstRowProbe)
{
    TABULEX_REQUIRE_FIXTURES();
    copy(QStringLiteral("db"));
    Connection c;
    open(c);
    for (const char* statement :
         {"SELECT top 1 * FROM \"Customer\"", "SELECT top 1 * FROM [CUSTOMER]"}) {
        Recordset rs;
        rs.open(QString::fromLatin1(statement), c, ado::adOpenStatic, ado::adLockOptimistic);
        EXPECT_EQ(rs.recordCount(), 1) << statement;
        EXPECT_EQ(rs.fields()["CustNo"].type, ado::adInteger);
        EXPECT_EQ(rs.fields()["CustNo"].value, Value(1));
        EXPECT_EQ(rs.fields()["Comments"].type, ado::adLongVarChar);
        EXPECT_EQ(rs.fields()["Comments"].value,
                  Value(QStringLiteral("Small comment (less 100 symbols)")));
        rs.moveNext();
        EXPECT_TRUE(rs.atEnd());
    }
}

TEST_F(ParadoxFolder, fieldsReportTheAdoTypesAndValueKindsOfTheirParadoxTypes)
{
    TABULEX_REQUIRE_FIXTURES();
    copy(QStringLiteral("fields"));
    Connection c;
    open(c);
    struct Case {
        const char* table;
        const char* field;
        int adoType;
        Value::Kind kind;
        qint64 definedSize;
    };
    for (const Case& k : {
             Case{"bcd", "A", ado::adDouble, Value::Kind::Decimal, 0},
             Case{"bytes", "BYTES", ado::adBinary, Value::Kind::Bytes, 255},
             Case{"date5", "DATE", ado::adDBDate, Value::Kind::Date, 0},
             Case{"date5", "TIME", ado::adDBTime, Value::Kind::Time, 0},
             Case{"timestamp", "Timestamp", ado::adDBTimeStamp, Value::Kind::Null, 0},
             Case{"logical", "BOOL", ado::adBoolean, Value::Kind::Bool, 0},
             Case{"long", "Id", ado::adInteger, Value::Kind::Int, 0},
             Case{"long", "LONG", ado::adInteger, Value::Kind::Int, 0},
             Case{"memo", "MEMO", ado::adLongVarChar, Value::Kind::Text, 0},
             Case{"fmemo", "FMEMO", ado::adLongVarBinary, Value::Kind::Bytes, 0},
             Case{"graphic", "Graphic", ado::adLongVarBinary, Value::Kind::Bytes, 0},
             Case{"ole", "OLE", ado::adLongVarBinary, Value::Kind::Bytes, 0},
         }) {
        Recordset rs;
        rs.open(QStringLiteral("SELECT * FROM [%1]").arg(QLatin1String(k.table)), c);
        const Field& f = rs.fields()[QLatin1String(k.field)];
        EXPECT_EQ(f.type, k.adoType) << k.table << "." << k.field;
        EXPECT_EQ(f.value.kind(), k.kind) << k.table << "." << k.field;
        EXPECT_EQ(f.definedSize, k.definedSize) << k.table << "." << k.field;
    }
    Recordset time;
    time.open(QStringLiteral("SELECT * FROM [date5]"), c);
    EXPECT_EQ(time.fields()["TIME"].value, Value(Time{10, 0, 0, 0}));
    Recordset bcd;
    bcd.open(QStringLiteral("SELECT * FROM [bcd]"), c);
    EXPECT_EQ(bcd.fields()["C"].value,
              Value(Decimal{QStringLiteral("0.12299999999999999800000000000000")}));
}

TEST_F(ParadoxFolder, dropTableRemovesTheTableAndItsCompanionsOnly)
{
    TABULEX_REQUIRE_FIXTURES();
    copy(QStringLiteral("db"));
    QFile other(m_folder + QStringLiteral("/CUSTOMER.txt"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    Connection c;
    open(c);
    c.execute(QStringLiteral("DROP TABLE [customer]"));
    const QStringList left = files();
    for (const char* gone :
         {"CUSTOMER.DB", "CUSTOMER.MB", "CUSTOMER.PX", "CUSTOMER.X06", "CUSTOMER.Y06"})
        EXPECT_FALSE(left.contains(QLatin1String(gone))) << gone;
    EXPECT_TRUE(left.contains(QStringLiteral("CUSTOMER.txt")));
    EXPECT_TRUE(left.contains(QStringLiteral("ORDERS.DB")));
    EXPECT_EQ(errorOf([&] { c.execute(QStringLiteral("DROP TABLE [customer]")); }),
              QStringLiteral("Paradox table customer: there is no table of that name in ") +
                  m_folder);
}

TEST_F(ParadoxFolder, errorsNameTheTableAndTheCause)
{
    TABULEX_REQUIRE_FIXTURES();
    copy(QStringLiteral("db"));
    QFile damaged(m_folder + QStringLiteral("/ORDERS.DB"));
    ASSERT_TRUE(damaged.resize(0x800 + 3000));
    Connection c;
    open(c);
    EXPECT_EQ(errorOf([&] {
                  Recordset rs;
                  rs.open(QStringLiteral("SELECT * FROM [Missing]"), c);
              }),
              QStringLiteral("Paradox table Missing: there is no table of that name in ") +
                  m_folder);
    EXPECT_EQ(errorOf([&] {
                  Recordset rs;
                  rs.open(QStringLiteral("SELECT * FROM [Orders]"), c);
                  while (!rs.atEnd())
                      rs.moveNext();
              }),
              QStringLiteral("Paradox table Orders: the file is truncated inside block 2"));
    EXPECT_EQ(
        errorOf([&] { c.execute(QStringLiteral("DELETE FROM [Orders]")); }),
        QStringLiteral("The Paradox driver does not support this statement: DELETE FROM [Orders]"));
    EXPECT_EQ(errorOf([&] {
                  Recordset rs;
                  rs.open(QStringLiteral("DROP TABLE [Orders]"), c);
              }),
              QStringLiteral("The Paradox driver does not return rows for this statement: DROP "
                             "TABLE [Orders]"));
}

TEST_F(ParadoxFolder, aRecordCountThatDisagreesWithTheBlocksIsReportedAfterEveryRow)
{
    TABULEX_REQUIRE_FIXTURES();
    copy(QStringLiteral("db"));
    QFile orders(m_folder + QStringLiteral("/ORDERS.DB"));
    ASSERT_TRUE(orders.open(QIODevice::ReadWrite));
    orders.seek(0x06);
    const char count[4] = {char(223), 0, 0, 0}; // the blocks hold 224
    orders.write(count, 4);
    orders.close();
    Connection c;
    open(c);
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [ORDERS]"), c);
    EXPECT_EQ(rs.recordCount(), 223);
    int rows = 0;
    const QString error = errorOf([&] {
        for (; !rs.atEnd(); rs.moveNext())
            ++rows;
    });
    EXPECT_EQ(rows, 224) << "no row is held back";
    EXPECT_EQ(error, QStringLiteral("Paradox table ORDERS: the header counts 223 records but "
                                    "the blocks hold 224"));
}

TEST_F(ParadoxFolder, aTableThatChangesWhileItIsReadFailsAsChanged)
{
    TABULEX_REQUIRE_FIXTURES();
    copy(QStringLiteral("db"));
    Connection c;
    open(c);
    const auto changeDuringRead = [&](const std::function<void(QFile&)>& change) {
        Recordset rs;
        rs.open(QStringLiteral("SELECT * FROM [ORDERS]"), c);
        for (int i = 0; i < 10; ++i)
            rs.moveNext();
        QFile orders(m_folder + QStringLiteral("/ORDERS.DB"));
        EXPECT_TRUE(orders.open(QIODevice::ReadWrite));
        change(orders);
        orders.close();
        try {
            for (; !rs.atEnd(); rs.moveNext()) {
            }
        } catch (const DataError& e) {
            EXPECT_EQ(e.nativeError(), kSourceChangedError);
            return e.description();
        }
        return QStringLiteral("no error");
    };
    const QString changed = QStringLiteral(
        "Paradox table ORDERS: the table changed while it was read (its size, time or header)");
    // A writer's header update (the change counter at 0x2D), its time alone, a new block.
    EXPECT_EQ(changeDuringRead([](QFile& f) {
                  f.seek(0x2D);
                  f.write("\x7F", 1);
              }),
              changed);
    EXPECT_EQ(changeDuringRead([](QFile& f) {
                  f.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                QFileDevice::FileModificationTime);
              }),
              changed);
    EXPECT_EQ(changeDuringRead([](QFile& f) {
                  f.seek(f.size());
                  f.write(QByteArray(2048, '\0'));
              }),
              changed);
    // Read while nothing changes: no error.
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [ORDERS]"), c);
    EXPECT_EQ(errorOf([&] {
                  for (; !rs.atEnd(); rs.moveNext()) {
                  }
              }),
              QStringLiteral("no error"));
}

TEST_F(ParadoxFolder, namesWithClosingBracketsResolve)
{
    TABULEX_REQUIRE_FIXTURES();
    copy(QStringLiteral("fields"));
    ASSERT_TRUE(QFile::rename(m_folder + QStringLiteral("/long.db"),
                              m_folder + QStringLiteral("/we]ird na\"me.db")));
    Connection c;
    open(c);
    Recordset bracketed;
    bracketed.open(QStringLiteral("SELECT * FROM [WE]]IRD NA\"ME]"), c);
    EXPECT_EQ(bracketed.recordCount(), 3);
    Recordset quoted;
    quoted.open(QStringLiteral("SELECT top 1 * FROM \"we]ird na\"\"me\""), c);
    EXPECT_EQ(quoted.recordCount(), 1);
}

TEST_F(ParadoxFolder, theTablesCatalogueListsTheDbFilesOfTheFolder)
{
    TABULEX_REQUIRE_FIXTURES();
    copy(QStringLiteral("db"));
    QDir().mkpath(m_folder + QStringLiteral("/sub.db"));
    Connection c;
    open(c);
    auto rs = c.openSchema(ado::adSchemaTables);
    QStringList names;
    for (; !rs->atEnd(); rs->moveNext()) {
        EXPECT_TRUE(rs->fields()["TABLE_CAT"].value.isNull());
        EXPECT_TRUE(rs->fields()["TABLE_SCHEM"].value.isNull());
        EXPECT_EQ(rs->fields()["TABLE_TYPE"].value, Value(QStringLiteral("TABLE")));
        names << rs->fields()["TABLE_NAME"].value.toString();
    }
    EXPECT_EQ(names, (QStringList{"AREACODE", "AREACODES", "CONTACTS", "CUSTOMER", "DECIMAL",
                                  "GENERAL", "HERCULES", "ORDERS", "ROMAN8", "SERVER"}));
}

TEST(ParadoxConnectionOpen, needsAnExistingFolder)
{
    Connection c;
    EXPECT_EQ(errorOf([&] { c.open(connectionString(QStringLiteral("/no/such/folder"))); }),
              QStringLiteral("The Paradox folder /no/such/folder does not exist."));
    EXPECT_EQ(c.state(), ado::adStateClosed);
}

} // namespace
} // namespace tabulex
