// Long values and text in every script through the ODBC driver and back, exactly.
#include "StandinTestBase.h"

#include <QRandomGenerator>

using namespace tabulex;
using namespace tabulex::test;

namespace {

QString repeatedTo(const QString& unit, int length)
{
    QString s;
    s.reserve(length + unit.size());
    while (s.size() < length)
        s += unit;
    s.truncate(length);
    return s;
}

// The one value of the one row of SELECT * FROM [t].
Value onlyValue(Connection& conn)
{
    Recordset rs;
    rs.open(QStringLiteral("SELECT * FROM [t]"), conn);
    EXPECT_FALSE(rs.atEnd());
    Value v = rs.atEnd() ? Value() : rs.fields()[0].value;
    rs.moveNext();
    EXPECT_TRUE(rs.atEnd());
    return v;
}

struct LongTextCase {
    const char* declared;
    const char* prefix; // literal prefix: N for Unicode columns
    const char* unit;   // repeated to 100,000 characters
};

class LongText : public StandinTest, public ::testing::WithParamInterface<LongTextCase> {};

TEST_P(LongText, HundredThousandCharactersComeBackExactly)
{
    const LongTextCase& c = GetParam();
    const QString text = repeatedTo(QString::fromUtf8(c.unit), 100000);
    auto conn = connect();
    conn->execute(QStringLiteral("CREATE TABLE [t]([v] %1);").arg(c.declared));
    conn->execute(QStringLiteral("INSERT INTO [t] VALUES(%1%2)").arg(c.prefix, sqlQuoted(text)));
    const Value v = onlyValue(*conn);
    ASSERT_EQ(v.kind(), Value::Kind::Text);
    EXPECT_EQ(v.toString().size(), 100000);
    EXPECT_TRUE(v.toString() == text);
}

INSTANTIATE_TEST_SUITE_P(Columns, LongText,
                         ::testing::Values(LongTextCase{"NTEXT", "N", "Ж語😀 '"},
                                           LongTextCase{"NTEXT", "N", "a😀"},
                                           LongTextCase{"NVARCHAR(MAX)", "N", "a😀"},
                                           LongTextCase{"NVARCHAR(MAX)", "N", "Ωμέγα 中文 "},
                                           LongTextCase{"TEXT", "", "café ü €'"},
                                           LongTextCase{"VARCHAR(MAX)", "", "abc xyz ÿ"}));

class LongBinary : public StandinTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(LongBinary, OneMegabyteComesBackExactly)
{
    QByteArray bytes(1 << 20, Qt::Uninitialized);
    QRandomGenerator rng(7);
    for (char& b : bytes)
        b = char(rng.bounded(256));
    auto conn = connect();
    conn->execute(QStringLiteral("CREATE TABLE [t]([v] %1);").arg(QString::fromUtf8(GetParam())));
    conn->execute(
        QStringLiteral("INSERT INTO [t] VALUES(0x%1)").arg(QString::fromLatin1(bytes.toHex())));
    const Value v = onlyValue(*conn);
    ASSERT_EQ(v.kind(), Value::Kind::Bytes);
    EXPECT_EQ(v.toBytes().size(), bytes.size());
    EXPECT_TRUE(v.toBytes() == bytes);
}

INSTANTIATE_TEST_SUITE_P(Columns, LongBinary, ::testing::Values("VARBINARY(MAX)", "IMAGE"));

struct ScriptCase {
    const char* declared;
    const char* literal;
    const char* expected;
};

class Scripts : public StandinTest, public ::testing::WithParamInterface<ScriptCase> {};

// N'...' literals keep every character; plain '...' literals are code page 1252 text on a real
// server, so characters outside it arrive as '?' even in Unicode columns.
TEST_P(Scripts, TextArrivesAsSqlServerStoresIt)
{
    const ScriptCase& c = GetParam();
    auto conn = connect();
    conn->execute(QStringLiteral("CREATE TABLE [t]([v] %1);").arg(c.declared));
    conn->execute(QStringLiteral("INSERT INTO [t] VALUES(%1)").arg(QString::fromUtf8(c.literal)));
    EXPECT_EQ(onlyValue(*conn).toString().toStdString(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    EveryScript, Scripts,
    ::testing::Values(ScriptCase{"NVARCHAR(100)", "N'Привет, мир'", "Привет, мир"},
                      ScriptCase{"NVARCHAR(100)", "N'Καλημέρα κόσμε'", "Καλημέρα κόσμε"},
                      ScriptCase{"NTEXT", "N'你好，世界'", "你好，世界"},
                      ScriptCase{"NVARCHAR(MAX)", "N'emoji 😀 and 𝄞'", "emoji 😀 and 𝄞"},
                      ScriptCase{"NVARCHAR(2)", "N'😀'", "😀"},
                      ScriptCase{"NCHAR(4)", "N'ä😀'", "ä😀 "},
                      ScriptCase{"VARCHAR(20)", "'Grüße, €5'", "Grüße, €5"},
                      ScriptCase{"TEXT", "N'Œuvre – “quoted”'", "Œuvre – “quoted”"},
                      ScriptCase{"NVARCHAR(20)", "'Привет'", "??????"},
                      ScriptCase{"TEXT", "N'中文'", "??"}));

} // namespace
