#include "TransferFixture.h"

#include "core/AdoTypes.h"

using namespace tabulex;
using namespace tabulex::test;

namespace {

using ST = ScriptedPrompter::Kind;

} // namespace

TEST_F(TransferTest, SqlServerTypesArriveInParadoxWithTheSameValues)
{
    server->execute(
        "CREATE TABLE [Mixed]([id] INT, [small] SMALLINT, [tiny] TINYINT, [big] BIGINT, [flag] "
        "BIT, "
        "[price] MONEY, [amount] DECIMAL(10,2), [ratio] FLOAT, [single] REAL, [name] NVARCHAR(50), "
        "[notes] NVARCHAR(MAX), [born] DATE, [at] DATETIME, [t] TIME, [bin] VARBINARY(16), "
        "[img] VARBINARY(MAX), [g] UNIQUEIDENTIFIER)");
    server->execute("INSERT INTO [Mixed] VALUES(2147483647, -32767, 255, 9007199254740992, 1, "
                    "'922337203685.4775', '-12345678.90', '0.1', '2.25', N'O''Brien ÄÖÜ €', N'" +
                    QString(100000, u'x') +
                    "', '1850-01-02', '2038-01-19T03:14:08.997', "
                    "'13:45:30.123', 0x00FF10, 0x" +
                    QString(4000, u'A') +
                    ", "
                    "'6F9619FF-8B86-D011-B42D-00C04FC964FF')");
    server->execute("INSERT INTO [Mixed] VALUES(NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
                    "NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL)");
    const TransferSummary s = toParadox({"Mixed"});
    EXPECT_TRUE(host.prompts.errorReports().empty())
        << host.prompts.errorReports().front().toStdString();
    EXPECT_EQ(s.tablesSent, 1);
    EXPECT_EQ(s.rowsCopied, 2);

    std::vector<Field> fields;
    const Rows rows = paradoxRows("Mixed", &fields);
    ASSERT_EQ(rows.size(), 2u);
    // Every integer type becomes a Long Integer, wide ones a Number.
    const std::vector<int> types = {ado::adInteger,       ado::adInteger,     ado::adInteger,
                                    ado::adDouble,        ado::adBoolean,     ado::adDouble,
                                    ado::adDouble,        ado::adDouble,      ado::adDouble,
                                    ado::adVarChar,       ado::adLongVarChar, ado::adDBTimeStamp,
                                    ado::adDBTimeStamp,   ado::adVarChar,     ado::adLongVarBinary,
                                    ado::adLongVarBinary, ado::adVarChar};
    ASSERT_EQ(fields.size(), types.size());
    for (size_t i = 0; i < types.size(); ++i)
        EXPECT_EQ(fields[i].type, types[i]) << fields[i].name.toStdString();
    const auto& r = rows[0];
    EXPECT_EQ(r[0], Value(2147483647));
    EXPECT_EQ(r[1], Value(-32767));
    EXPECT_EQ(r[2], Value(255));
    EXPECT_EQ(r[3], Value(9007199254740992.0));
    EXPECT_EQ(r[4], Value(true));
    EXPECT_EQ(r[5], Value(922337203685.4775));
    EXPECT_EQ(r[6], Value(-12345678.90));
    EXPECT_EQ(r[7], Value(0.1));
    EXPECT_EQ(r[8], Value(2.25));
    EXPECT_EQ(r[9], Value(QString::fromUtf8("O'Brien ÄÖÜ €")));
    EXPECT_EQ(r[10], Value(QString(100000, u'x')));
    EXPECT_EQ(r[11], Value(Timestamp{{1850, 1, 2}, {}}));
    EXPECT_EQ(r[12], Value(Timestamp{{2038, 1, 19}, {3, 14, 8, 997000000}}));
    // A time of day has no Paradox field of its own: it arrives as its text.
    EXPECT_EQ(r[13], Value("13:45:30.123"));
    EXPECT_EQ(r[14], Value(QByteArray("\x00\xff\x10", 3)));
    EXPECT_EQ(r[15], Value(QByteArray::fromHex(QByteArray(4000, 'A'))));
    EXPECT_EQ(r[16], Value("6F9619FF-8B86-D011-B42D-00C04FC964FF"));
    for (const Value& v : rows[1])
        EXPECT_TRUE(v.isNull());

    // And back to SQL Server, into a fresh database: Booleans, dates and timestamps come back
    // as their text (TEXT columns), numbers as floats, texts and bytes unchanged.
    server->reset();
    sqlList.clear();
    toSqlServer({"MIXED"});
    EXPECT_TRUE(host.prompts.errorReports().empty());
    const Rows back = sqlRows("MIXED");
    ASSERT_EQ(back.size(), 2u);
    const std::vector<Value> expected = {Value(2147483647),
                                         Value(-32767),
                                         Value(255),
                                         Value(9007199254740992.0),
                                         Value("True"),
                                         Value(922337203685.4775),
                                         Value(-12345678.90),
                                         Value(0.1),
                                         Value(2.25),
                                         Value(QString::fromUtf8("O'Brien ÄÖÜ €")),
                                         Value(QString(100000, u'x')),
                                         Value("1850-01-02T00:00:00"),
                                         Value("2038-01-19T03:14:08.997"),
                                         Value("13:45:30.123"),
                                         Value(QByteArray("\x00\xff\x10", 3)),
                                         Value(QByteArray::fromHex(QByteArray(4000, 'A'))),
                                         Value("6F9619FF-8B86-D011-B42D-00C04FC964FF")};
    EXPECT_EQ(back[0], expected);
    for (const Value& v : back[1])
        EXPECT_TRUE(v.isNull());
}

TEST_F(TransferTest, TextOutsideLatinTravelsBothWaysUnchanged)
{
    const QString greek = QString::fromUtf8("Καλημέρα κόσμε, τι κάνεις;");
    server->execute("CREATE TABLE [Greek]([t] NVARCHAR(100), [m] NTEXT)");
    server->execute("INSERT INTO [Greek] VALUES(N'" + greek + "', N'" + greek.repeated(1000) +
                    "')");
    toParadox({"Greek"});
    EXPECT_TRUE(host.prompts.errorReports().empty());
    server->reset();
    sqlList.clear();
    toSqlServer({"GREEK"});
    EXPECT_TRUE(host.prompts.errorReports().empty());
    const Rows back = sqlRows("GREEK");
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0][0], Value(greek));
    EXPECT_EQ(back[0][1], Value(greek.repeated(1000)));
}
