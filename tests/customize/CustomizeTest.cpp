#include "customize/AppliedTypes.h"
#include "customize/DataTypeCatalogue.h"
#include "customize/TypeProposals.h"
#include "staging/StagingTypes.h"

#include <gtest/gtest.h>

using namespace tabulex;

TEST(IsValidDataType, AcceptsPiecesOfTheCatalogueAndSizedTypes)
{
    struct Case {
        const char* text;
        bool valid;
    };
    for (const Case& c :
         {Case{"varchar(20)", true},   Case{"VarChar(20)", true}, Case{"NUMERIC(10,2)", true},
          Case{"money", true},         Case{"XML", true},         Case{"", true},
          Case{"var", true},           Case{"MEMO", true},        Case{"TIMESTAMP", true},
          Case{"nvarchar (50)", true}, Case{"binary(16)", true},  Case{"decimal(5, 1)", true},
          Case{"LONG", false},         Case{"NUMBER", false},     Case{"LOGICAL", false},
          Case{"SHORT", false},        Case{"currency", false},   Case{"BLOB", false},
          Case{"int\r\nMoney", true},  Case{"double", false}}) {
        EXPECT_EQ(isValidDataType(QString::fromLatin1(c.text)), c.valid) << c.text;
    }
    EXPECT_EQ(dataTypeCatalogue().size(), 26);
}

TEST(DataTypes, EveryTypeOfferedTowardsParadoxIsKnownToTheStagingStore)
{
    QStringList offered = {"MEMO", "LOGICAL", "MONEY", "NUMBER", "SHORT", "LONG", "TIMESTAMP"};
    offered += dataTypeCatalogue();
    for (const QString& t : offered)
        EXPECT_TRUE(staging::parseColumnType(t)) << t.toStdString();
}

TEST(SampleRule, FollowsTheFirstValuesLength)
{
    EXPECT_EQ(sampleRuleType(true, Value()), "VARCHAR(255)");
    EXPECT_EQ(sampleRuleType(false, Value()), "VARCHAR(255)");
    EXPECT_EQ(sampleRuleType(false, Value(QString())), "VARCHAR(255)");
    EXPECT_EQ(sampleRuleType(false, Value("Example")), "VARCHAR(7)");
    EXPECT_EQ(sampleRuleType(false, Value(QString(255, u'x'))), "VARCHAR(255)");
    EXPECT_EQ(sampleRuleType(false, Value(QString(256, u'x'))), "TEXT");
    EXPECT_EQ(sampleRuleType(false, Value(QByteArray(12, 'x'))), "VARCHAR(12)");
    // A field holds values as long as its size: a shorter first value does not bound it.
    EXPECT_EQ(sampleRuleType(false, Value("Example"), 20), "VARCHAR(20)");
    EXPECT_EQ(sampleRuleType(false, Value("Example"), 4), "VARCHAR(7)");
}

TEST(ApplyTypes, BuildsTheStatementOfEachTarget)
{
    const AppliedTypes p = applyDataTypes("Paradox", "CREATE TABLE `t`(", {"a", "b", "c", "d"},
                                          {"MEMO", "LONG", "INT", "Currency"});
    EXPECT_EQ(p.statement, "CREATE TABLE `t`([a] MEMO,[b] LONG,[c] INT,[d] Currency)");
    EXPECT_EQ(p.numeric, "2,3,");
    const AppliedTypes s =
        applyDataTypes("MSSQL", "CREATE TABLE [t](", {"a", "b\"c"}, {"INT", "nvarchar (50)"});
    EXPECT_EQ(s.statement, "CREATE TABLE [t](\"a\" INT,\"b\"\"c\" nvarchar (50))");
    EXPECT_EQ(s.numeric, "");
    EXPECT_EQ(applyDataTypes("MSSQL", "CREATE TABLE [t](", {}, {}).statement, "CREATE TABLE [t])");
}

TEST(ApplyTypes, NumericFieldNamesGetNamesOfTheirOwn)
{
    const AppliedTypes a = applyDataTypes("Paradox", "CREATE TABLE `t`(",
                                          {"2019", "newfieldname0", " 3.5 ", "Q1", "-1"},
                                          {"LONG", "LONG", "LONG", "LONG", "LONG"});
    EXPECT_EQ(a.oldNames, QStringList({"2019", " 3.5 ", "-1"}));
    EXPECT_EQ(a.newNames, QStringList({"tempid1", "tempid2", "tempid3"}));
    EXPECT_EQ(a.statement, "CREATE TABLE `t`([tempid1] LONG,[newfieldname0] LONG,[tempid2] LONG,"
                           "[Q1] LONG,[tempid3] LONG)");
    EXPECT_EQ(newFieldName({"a"}, {}), "newfieldname0");
    EXPECT_EQ(newFieldName({"a", "newfieldname0", "tempid1"}, {}), "tempid2");
    EXPECT_EQ(newFieldName({"a", "tempid1"}, {"newfieldname0"}), "tempid2");
    EXPECT_FALSE(isNumericFieldName("Q1"));
    EXPECT_FALSE(isNumericFieldName(""));
}

TEST(ApplyTypes, OnlyFiniteNumbersAreNumericNames)
{
    for (const char* name : {"NaN", "nan", "Inf", "inf", "-inf", "+INF", "Infinity", "1e999"})
        EXPECT_FALSE(isNumericFieldName(name)) << name;
    for (const char* name : {"2019", " 3.5 ", "-1", "1e3"})
        EXPECT_TRUE(isNumericFieldName(name)) << name;
}
