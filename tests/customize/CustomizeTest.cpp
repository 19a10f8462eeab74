#include "core/AdoTypeName.h"
#include "customize/AppliedTypes.h"
#include "customize/DataTypeCatalogue.h"
#include "customize/TypeProposals.h"
#include "data/Recordset.h"
#include "staging/StagingTypes.h"
#include "transfer/FaithfulTypes.h"
#include "transfer/TypeMapping.h"

#include <gtest/gtest.h>

using namespace tabulex;

namespace {

// The texts a row of the table can be tried with: bare, at and past the ends of its range,
// with two numbers and with MAX.
QStringList samplesOf(const DataTypeName& row)
{
    const QString n = QString::fromLatin1(row.name);
    QStringList out = {n, n.toLower()};
    for (const int size : {row.min - 1, row.min, row.max, row.max + 1, 300, 9000})
        out << QStringLiteral("%1(%2)").arg(n).arg(size);
    out << QStringLiteral("%1(10, 2)").arg(n) << QStringLiteral("%1 (5,6)").arg(n)
        << QStringLiteral("%1(MAX)").arg(n)
        << QStringLiteral("%1(%2,%3)").arg(n).arg(row.max).arg(row.max);
    return out;
}

} // namespace

// The window takes towards Paradox only what the table's creation there takes: the staging
// store's types, and under the faithful mapping the Paradox field words as well.
TEST(DataTypeCheck, TakesTowardsParadoxOnlyWhatTheFolderCreates)
{
    for (const DataTypeName& row : dataTypeNames()) {
        if (row.target != TypeTarget::Paradox)
            continue;
        bool someAccepted = false;
        for (const QString& text : samplesOf(row)) {
            if (isAllowedDataType(TypeTarget::Paradox, kClassicMapping, text)) {
                someAccepted = true;
                EXPECT_TRUE(staging::parseColumnType(text)) << text.toStdString();
            }
            if (isAllowedDataType(TypeTarget::Paradox, kFaithfulMapping, text)) {
                someAccepted = true;
                EXPECT_TRUE(paradoxFieldOfWord(text) || staging::parseColumnType(text))
                    << text.toStdString();
            }
        }
        EXPECT_TRUE(someAccepted) << row.name;
    }
}

// Every type the window or the mapping proposes passes the window's own check, under both
// mappings and towards both sides.
TEST(DataTypeCheck, TakesEveryTypeItProposes)
{
    const auto accepted = [](TypeTarget target, TypeMappings mapping, const QString& type) {
        EXPECT_TRUE(isAllowedDataType(target, mapping, type))
            << type.toStdString() << ": " << dataTypeProblem(target, mapping, type).toStdString();
    };
    std::vector<Field> fields;
    for (int type = 0; type <= 205; ++type)
        for (const int precision : {0, 10, 40})
            for (const qint64 size : {0, 16, 9000})
                fields.push_back(Field{{}, type, {}, size, precision, 2});
    for (const Field& f : fields) {
        accepted(TypeTarget::Paradox, kClassicMapping,
                 paradoxTypeProposal(adoTypeName(std::int16_t(f.type))));
        if (const QString t = sqlServerTypeProposal(f); !t.isEmpty())
            accepted(TypeTarget::SqlServer, kClassicMapping, t);
        // Fields the faithful mapping has no exact type for follow the default mapping.
        accepted(TypeTarget::Paradox, kFaithfulMapping,
                 defaultColumnPlan(f, Direction::ToParadox).type);
        accepted(TypeTarget::SqlServer, kFaithfulMapping,
                 defaultColumnPlan(f, Direction::ToSqlServer).type);
    }
    for (const QString& t :
         {sampleRuleType(true, Value()), sampleRuleType(false, Value(QStringLiteral("x"))),
          sampleRuleType(false, Value(QString(300, u'x')))})
        accepted(TypeTarget::SqlServer, kClassicMapping, t);

    using paradox::FieldType;
    for (const FieldType type :
         {FieldType::Alpha, FieldType::Date, FieldType::Short, FieldType::Long, FieldType::Money,
          FieldType::Number, FieldType::Logical, FieldType::Memo, FieldType::Blob,
          FieldType::FormattedMemo, FieldType::Ole, FieldType::Graphic, FieldType::Time,
          FieldType::Timestamp, FieldType::AutoIncrement, FieldType::Bcd, FieldType::Bytes}) {
        const int size = type == FieldType::Bcd ? 2 : paradox::isBlobType(type) ? 11 : 30;
        accepted(TypeTarget::Paradox, kFaithfulMapping,
                 paradoxTypeWord(paradox::FieldDefinition{{}, type, size}));
        Field f{QStringLiteral("F"),
                0,
                {},
                0,
                0,
                0,
                QString::fromLatin1(paradox::fieldTypeName(type)),
                size};
        accepted(TypeTarget::SqlServer, kFaithfulMapping, faithfulSqlServerPlan(f).type);
        accepted(TypeTarget::SqlServer, kFaithfulMapping,
                 faithfulSqlServerPlan(f).type + QStringLiteral(" NOT NULL"));
    }
    accepted(TypeTarget::SqlServer, kFaithfulMapping, QStringLiteral("INT IDENTITY(1,1) NOT NULL"));
}

TEST(DataTypeCheck, RefusesWhatCreationWouldRefuse)
{
    struct Case {
        TypeTarget target;
        TypeMappings mapping;
        const char* text;
        bool allowed;
    };
    const TypeTarget S = TypeTarget::SqlServer, P = TypeTarget::Paradox;
    for (const Case& c : {
             Case{S, kClassicMapping, "var", false},
             Case{S, kClassicMapping, "", false},
             Case{S, kClassicMapping, "money", true},
             Case{S, kClassicMapping, "VarChar(20)", true},
             Case{S, kClassicMapping, "nvarchar (50)", true},
             Case{S, kClassicMapping, "NVARCHAR(4000)", true},
             Case{S, kClassicMapping, "NVARCHAR(4001)", false},
             Case{S, kClassicMapping, "NVARCHAR(0)", false},
             Case{S, kClassicMapping, "nvarchar(max)", true},
             Case{S, kClassicMapping, "NCHAR(MAX)", false},
             Case{S, kClassicMapping, "DECIMAL(38,38)", true},
             Case{S, kClassicMapping, "NUMERIC(10,2)", true},
             Case{S, kClassicMapping, "DECIMAL(39)", false},
             Case{S, kClassicMapping, "DECIMAL(5,6)", false},
             Case{S, kClassicMapping, "DECIMAL(5,2,1)", false},
             Case{S, kClassicMapping, "INT(4)", false},
             Case{S, kClassicMapping, "LONG", false},
             Case{S, kClassicMapping, "TIMESTAMP", false},
             Case{S, kClassicMapping, "int NOT NULL", true},
             Case{S, kClassicMapping, "INT IDENTITY", false},
             Case{S, kFaithfulMapping, "INT IDENTITY(1,1) NOT NULL", true},
             Case{S, kFaithfulMapping, "NVARCHAR(30) IDENTITY", false},
             Case{S, kClassicMapping, "INT; DROP TABLE x", false},
             Case{P, kClassicMapping, "LONG", true},
             Case{P, kClassicMapping, "ALPHA", true},
             Case{P, kClassicMapping, "alpha(30)", true},
             Case{P, kClassicMapping, "ALPHA(256)", false},
             Case{P, kClassicMapping, "LOGICAL", true},
             Case{P, kClassicMapping, "var", false},
             Case{P, kClassicMapping, "BCD(32,2)", false},
             Case{P, kFaithfulMapping, "BCD(32,2)", true},
             Case{P, kFaithfulMapping, "BYTES", false},
             Case{P, kFaithfulMapping, "INT NOT NULL", false},
         })
        EXPECT_EQ(isAllowedDataType(c.target, c.mapping, QString::fromLatin1(c.text)), c.allowed)
            << c.text;
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
