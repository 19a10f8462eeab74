#include "transfer/TypeMapping.h"
#include "core/AdoTypeName.h"
#include "core/AdoTypes.h"
#include "data/Recordset.h"

#include <gtest/gtest.h>

using namespace tabulex;

TEST(AdoTypeName, NamesExactlyTheThirtyNineTypes)
{
    int named = 0;
    for (int v = -32768; v <= 32767; ++v)
        named += adoTypeName(std::int16_t(v)).isEmpty() ? 0 : 1;
    EXPECT_EQ(named, 39);
    EXPECT_EQ(adoTypeName(ado::adVarWChar), "adVarWChar");
    EXPECT_EQ(adoTypeName(ado::adUnsignedBigInt), "adUnsignedBigInt");
    EXPECT_EQ(adoTypeName(137), "");
    EXPECT_EQ(adoTypeName(8192), "");
}

struct KeyCase {
    int type;
    const char* paradox;
    const char* sqlServer;
};

class KeyMapping : public ::testing::TestWithParam<KeyCase> {};

// The mapping by type key alone, for every named type and an unnamed one.
TEST_P(KeyMapping, FollowsTheOrderedSubstringRules)
{
    const QString key = adoTypeName(std::int16_t(GetParam().type)).toLower();
    EXPECT_EQ(paradoxColumnType(key), GetParam().paradox) << GetParam().type;
    EXPECT_EQ(sqlServerColumnType(key), GetParam().sqlServer) << GetParam().type;
}

INSTANTIATE_TEST_SUITE_P(
    EveryType, KeyMapping,
    ::testing::Values(
        KeyCase{129, "TEXT", "TEXT"}, KeyCase{130, "TEXT", "TEXT"}, KeyCase{200, "TEXT", "TEXT"},
        KeyCase{201, "TEXT", "TEXT"}, KeyCase{202, "TEXT", "TEXT"}, KeyCase{203, "TEXT", "TEXT"},
        KeyCase{16, "INT", "INT"}, KeyCase{2, "INT", "INT"}, KeyCase{3, "INT", "INT"},
        KeyCase{20, "INT", "INT"}, KeyCase{17, "INT", "INT"}, KeyCase{18, "INT", "INT"},
        KeyCase{19, "INT", "INT"}, KeyCase{21, "INT", "INT"}, KeyCase{4, "INT", "INT"},
        KeyCase{131, "INT", "INT"}, KeyCase{139, "INT", "INT"}, KeyCase{14, "DECIMAL", "DECIMAL"},
        KeyCase{5, "FLOAT", "FLOAT"}, KeyCase{6, "CURRENCY", "TEXT"}, KeyCase{11, "BIT", "TEXT"},
        KeyCase{7, "DATETIME", "TEXT"}, KeyCase{133, "DATETIME", "TEXT"},
        KeyCase{135, "DATETIME", "TEXT"}, KeyCase{205, "OLEOBJECT", "BLOB"},
        KeyCase{0, "VARCHAR", "TEXT"}, KeyCase{8, "VARCHAR", "TEXT"},
        KeyCase{64, "VARCHAR", "TEXT"}, KeyCase{72, "VARCHAR", "TEXT"},
        KeyCase{128, "VARCHAR", "TEXT"}, KeyCase{204, "VARCHAR", "TEXT"},
        KeyCase{134, "VARCHAR", "TEXT"}, KeyCase{137, "VARCHAR", "TEXT"}));

struct PlanCase {
    Field field;
    const char* paradox;
    LiteralStyle paradoxStyle;
    const char* sqlServer;
    LiteralStyle sqlStyle;
};

class DefaultPlan : public ::testing::TestWithParam<PlanCase> {};

// Where the key mapping would change values, the plan keeps them.
TEST_P(DefaultPlan, KeepsEveryValue)
{
    const PlanCase& c = GetParam();
    const ColumnPlan p = defaultColumnPlan(c.field, Direction::ToParadox);
    const ColumnPlan s = defaultColumnPlan(c.field, Direction::ToSqlServer);
    EXPECT_EQ(p.type, c.paradox) << c.field.name.toStdString();
    EXPECT_EQ(p.style, c.paradoxStyle) << c.field.name.toStdString();
    EXPECT_EQ(s.type, c.sqlServer) << c.field.name.toStdString();
    EXPECT_EQ(s.style, c.sqlStyle) << c.field.name.toStdString();
    // The staging field is of the type the CREATE TABLE statement names; a Memo for a long
    // type may become an Alpha field.
    auto named = staging::parseColumnType(p.type);
    named->alphaWhenValuesFit = p.type == "MEMO";
    EXPECT_EQ(p.stagingType, named) << c.field.name.toStdString();
    EXPECT_FALSE(s.stagingType);
    // Only SQL Server's float columns round silently; the staging store checks Paradox's.
    EXPECT_FALSE(p.guard.any());
    EXPECT_EQ(s.guard.doubleRounding, s.type == "FLOAT") << c.field.name.toStdString();
}

namespace {
Field f(const char* name, int type, qint64 size = 0, int precision = 0, int scale = 0)
{
    return Field{QString::fromLatin1(name), type, Value(), size, precision, scale};
}
constexpr auto Q = LiteralStyle::Quoted;
constexpr auto N = LiteralStyle::UnicodeQuoted;
constexpr auto H = LiteralStyle::Hex;
constexpr auto B = LiteralStyle::BooleanDigits;
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Fields, DefaultPlan,
    ::testing::Values(PlanCase{f("short text", 202, 50), "TEXT", Q, "NTEXT", N},
                      PlanCase{f("alpha 255", 200, 255), "TEXT", Q, "NTEXT", N},
                      PlanCase{f("varchar 300", 200, 300), "MEMO", Q, "NTEXT", N},
                      PlanCase{f("ntext", 203, 1073741823), "MEMO", Q, "NTEXT", N},
                      PlanCase{f("memo", 201), "MEMO", Q, "NTEXT", N},
                      PlanCase{f("real", 4), "FLOAT", Q, "FLOAT", Q},
                      PlanCase{f("decimal 10 2", 131, 0, 10, 2), "FLOAT", Q, "DECIMAL(10,2)", Q},
                      PlanCase{f("money", 131, 0, 19, 4), "FLOAT", Q, "DECIMAL(19,4)", Q},
                      PlanCase{f("numeric 9 0", 131, 0, 9, 0), "INT", Q, "DECIMAL(9,0)", Q},
                      PlanCase{f("numeric 18 0", 131, 0, 18, 0), "FLOAT", Q, "DECIMAL(18,0)", Q},
                      PlanCase{f("decimal no size", 14), "FLOAT", Q, "DECIMAL(18,0)", Q},
                      PlanCase{f("bigint", 20), "FLOAT", Q, "BIGINT", Q},
                      PlanCase{f("unsigned int", 19), "FLOAT", Q, "BIGINT", Q},
                      PlanCase{f("unsigned bigint", 21), "FLOAT", Q, "DECIMAL(20,0)", Q},
                      PlanCase{f("int", 3), "INT", Q, "INT", Q},
                      PlanCase{f("tinyint", 17), "INT", Q, "INT", Q},
                      PlanCase{f("binary", 128, 4), "OLEOBJECT", H, "VARBINARY(MAX)", H},
                      PlanCase{f("varbinary", 204, 16), "OLEOBJECT", H, "VARBINARY(MAX)", H},
                      PlanCase{f("image", 205), "OLEOBJECT", H, "VARBINARY(MAX)", H},
                      PlanCase{f("bit", 11), "BIT", B, "TEXT", Q},
                      PlanCase{f("double", 5), "FLOAT", Q, "FLOAT", Q},
                      PlanCase{f("bcd", 5, 0, 32, 4), "FLOAT", Q, "DECIMAL(32,4)", Q},
                      PlanCase{f("date", 133), "DATETIME", Q, "TEXT", Q},
                      PlanCase{f("time", 134), "VARCHAR", Q, "TEXT", Q},
                      PlanCase{f("guid", 72), "VARCHAR", Q, "TEXT", Q}));
