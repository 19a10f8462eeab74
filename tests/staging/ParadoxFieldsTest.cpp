#include "staging/ParadoxFields.h"
#include "core/DataError.h"

#include <gtest/gtest.h>

using namespace tabulex;
using namespace tabulex::staging;
using paradox::FieldType;

namespace {

// Columns of one staging type, the longest text each holds, and the field each becomes.
struct Columns {
    const char* type;
    bool longType; // a Memo the default mapping chose for a long type
    QString longest;
    FieldType field;
    int size;
    int copies = 1;
};

struct FieldCase {
    const char* what;
    std::vector<Columns> columns;
    qint64 rows = 1;
    int codePage = 1252;
};

void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.what; }

StagingTable tableOf(const FieldCase& c)
{
    StagingTable t;
    for (const Columns& cs : c.columns) {
        for (int i = 0; i < cs.copies; ++i) {
            ColumnType type = *parseColumnType(QString::fromLatin1(cs.type));
            type.alphaWhenValuesFit = cs.longType;
            t.columns.push_back({QStringLiteral("c%1").arg(t.columns.size()), type});
        }
    }
    t.longest.assign(t.columns.size(), TextExtent());
    size_t column = 0;
    for (const Columns& cs : c.columns)
        for (int i = 0; i < cs.copies; ++i)
            t.noteText(int(column++), cs.longest);
    t.rowCount = c.rows;
    return t;
}

QString errorOf(const std::vector<StagingField>& fields, qint64 rows)
{
    try {
        requireParadoxCapacity(QStringLiteral("HUGE"), fields, rows);
    } catch (const DataError& e) {
        return e.description();
    }
    return {};
}

std::vector<StagingField> fields(std::initializer_list<const char*> types, int copies = 1)
{
    std::vector<StagingField> out;
    for (int i = 0; i < copies; ++i)
        for (const char* t : types)
            out.push_back({QStringLiteral("c%1").arg(out.size()), *parseColumnType(t)});
    return out;
}

class ParadoxFields : public ::testing::TestWithParam<FieldCase> {};

} // namespace

TEST_P(ParadoxFields, AreShapedByTheValuesAndTheRowCount)
{
    const FieldCase& c = GetParam();
    const auto written = paradoxFields(tableOf(c), c.codePage);
    size_t i = 0;
    for (const Columns& cs : c.columns) {
        for (int k = 0; k < cs.copies; ++k, ++i) {
            ASSERT_LT(i, written.size());
            EXPECT_EQ(written[i].type, cs.field) << "column " << i;
            EXPECT_EQ(written[i].size, cs.size) << "column " << i;
        }
    }
    EXPECT_EQ(written.size(), i);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParadoxFields,
    ::testing::Values(
        FieldCase{"a long type with short values becomes Alpha",
                  {{"MEMO", true, QString(40, u'x'), FieldType::Alpha, 40},
                   {"MEMO", true, QString(), FieldType::Alpha, 1},
                   {"MEMO", true, QString(255, u'x'), FieldType::Alpha, 255}}},
        FieldCase{"a value beyond 255 bytes, or holding U+0000, keeps the Memo",
                  {{"MEMO", true, QString(256, u'x'), FieldType::Memo, 11},
                   {"MEMO", true, QString::fromUtf8("a\0b", 3), FieldType::Memo, 11},
                   {"MEMO", true, QString::fromUtf8("日本").repeated(64), FieldType::Memo, 11}},
                  1,
                  932},
        FieldCase{"a Memo the user chose stays one",
                  {{"MEMO", false, "short", FieldType::Memo, 11}}},
        FieldCase{"Memos stay when their Alpha fields would not fit a record",
                  {{"MEMO", true, QString(250, u'x'), FieldType::Memo, 11, 140}}},
        FieldCase{"Alpha 255 stays while the table fits",
                  {{"TEXT", false, QString(40, u'x'), FieldType::Alpha, 255},
                   {"INT", false, QString(), FieldType::Long, 0}},
                  1000000},
        FieldCase{"Alpha fields get as long as their values when the rows would not fit",
                  {{"TEXT", false, QString(40, u'x'), FieldType::Alpha, 40},
                   {"INT", false, QString(), FieldType::Long, 0}},
                  10000000},
        FieldCase{"a character beyond ASCII may take two bytes in 932",
                  {{"TEXT", false, QString::fromUtf8("日本").repeated(60) + "abc", FieldType::Alpha,
                    243}},
                  10000000,
                  932},
        FieldCase{"and in 1258, which writes some letters as two",
                  {{"TEXT", false, QString::fromUtf8("ấ").repeated(100), FieldType::Alpha, 200}},
                  10000000,
                  1258}));

// The check before the copy refuses only what no Paradox table can hold, however short the
// export makes its Alpha fields, and names the table and the limit.
TEST(ParadoxCapacity, RefusesOnlyWhatNoParadoxTableHolds)
{
    EXPECT_EQ(errorOf(fields({"INT"}), 600000000),
              "HUGE.db: 600,000,000 rows do not fit a Paradox table: its 65,535 blocks of 32 KB "
              "hold at most 536,731,650 records of 4 bytes");
    EXPECT_EQ(errorOf(fields({"BINARY(255)"}, 129), 0),
              "HUGE.db: a record of 32895 bytes does not fit a block of 32768 bytes, the largest "
              "a Paradox table has");
    EXPECT_EQ(errorOf(fields({"INT"}), 536731650), "");
    // Alpha 255 would hold 126 records a block of 32 KB, but the export can shorten it.
    EXPECT_EQ(errorOf(fields({"TEXT", "INT"}), 10000000), "");
    EXPECT_EQ(errorOf(fields({"INT"}), -1), "");
}
