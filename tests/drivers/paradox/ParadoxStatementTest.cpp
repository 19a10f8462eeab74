// The statements the Paradox driver understands, and the ones it refuses.
#include "drivers/paradox/ParadoxStatement.h"

#include <gtest/gtest.h>

namespace tabulex::paradoxdriver {
namespace {

using Kind = ParadoxStatement::Kind;

struct Case {
    const char* text;
    Kind kind;
    const char* table;
    qint64 limit;
};

class Accepted : public ::testing::TestWithParam<Case> {};

TEST_P(Accepted, givesKindTableAndLimit) {
    const Case c = GetParam();
    const auto s = parseParadoxStatement(QString::fromUtf8(c.text));
    ASSERT_TRUE(s) << c.text;
    EXPECT_EQ(s->kind, c.kind);
    EXPECT_EQ(s->table, QString::fromUtf8(c.table));
    EXPECT_EQ(s->limit, c.limit);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, Accepted,
    ::testing::Values(Case{"SELECT * FROM [ORDERS]", Kind::Select, "ORDERS", -1},
                      Case{"select * from [My Table]", Kind::Select, "My Table", -1},
                      Case{"SELECT top 1 * FROM \"CUSTOMER\"", Kind::Select, "CUSTOMER", 1},
                      Case{"SELECT TOP 1 * FROM [a]]b]", Kind::Select, "a]b", 1},
                      Case{"SELECT top 1 * FROM \"say \"\"hi\"\"\"", Kind::Select, "say \"hi\"", 1},
                      Case{"  SELECT\t*\nFROM[Ärger] ; ", Kind::Select, "Ärger", -1},
                      Case{"SELECT * FROM orders", Kind::Select, "orders", -1},
                      Case{"DROP TABLE [ORDERS]", Kind::Drop, "ORDERS", -1},
                      Case{"drop table [x]]]", Kind::Drop, "x]", -1}));

TEST(Refused, everythingElse) {
    for (const char* text :
         {"", "SELECT", "SELECT * FROM", "SELECT * FROM []", "SELECT * FROM [open",
          "SELECT a FROM [t]", "SELECT * FROM [t] WHERE 1=1", "SELECT * FROM [t] [u]",
          "SELECT top * FROM [t]", "SELECTED * FROM [t]", "DROP [t]", "DROP TABLES [t]",
          "DELETE FROM [t]", "CREATE TABLE [t](a int)", "SELECT * INTO [x] FROM [t]"})
        EXPECT_FALSE(parseParadoxStatement(QString::fromUtf8(text))) << text;
}

} // namespace
} // namespace tabulex::paradoxdriver
