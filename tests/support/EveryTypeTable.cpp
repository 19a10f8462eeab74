#include "EveryTypeTable.h"

#include "paradox/TableWriter.h"

#include <string>

namespace tabulex::test {

using paradox::Bytes;
using paradox::FieldType;
using P = paradox::Value;

Row everyTypeRow()
{
    return {P("Example"),
            {},
            P(std::string(255, 'x')),
            P(1.5),
            P(2.5),
            P(3),
            P(4),
            P(paradox::Decimal{"5.25"}),
            P(paradox::Date{2024, 1, 2}),
            P(paradox::Time{3, 4, 5, 0}),
            P(paradox::Timestamp{{2024, 1, 2}, {3, 4, 5, 0}}),
            P(true),
            P("a memo"),
            P(Bytes{"\x01\x02\x03\x04"}),
            P(Bytes{std::string(300, 'b')}),
            P(Bytes{"BM" + std::string(40, 'p')}),
            P(Bytes{"{\\rtf1 styled}"}),
            P(Bytes{std::string(20, 'o')}),
            P(1)};
}

Row everyTypeEdgeRow()
{
    return {P("A much longer name"),
            P("filled later"),
            P(std::string(255, 'y')),
            P(0.1),
            P(19.99),
            P(-32767),
            P(2147483647),
            P(paradox::Decimal{"-123456.78"}),
            P(paradox::Date{1600, 7, 4}),
            P(paradox::Time{23, 59, 59, 999}),
            P(paradox::Timestamp{{1700, 1, 1}, {12, 0, 0, 125}}),
            P(false),
            P(std::string(1000, 'm')),
            P(Bytes{"\xff\x00\xff\x00"}),
            P(Bytes{"x"}),
            P(Bytes{"GIF89a"}),
            P(Bytes{"{\\rtf1 }"}),
            P(Bytes{std::string("\x00\x01", 2)}),
            P(2)};
}

void writeEveryTypeTable(const QString& folder, const QString& name, const std::vector<Row>& rows)
{
    paradox::TableWriter w((folder + u'/' + name + QStringLiteral(".db")).toStdString(),
                           {{"Name", FieldType::Alpha, 20},
                            {"Empty", FieldType::Alpha, 20},
                            {"Long", FieldType::Alpha, 255},
                            {"Price", FieldType::Number, 0},
                            {"Total", FieldType::Money, 0},
                            {"Qty", FieldType::Short, 0},
                            {"Id", FieldType::Long, 0},
                            {"Exact", FieldType::Bcd, 2},
                            {"Born", FieldType::Date, 0},
                            {"At", FieldType::Time, 0},
                            {"Stamp", FieldType::Timestamp, 0},
                            {"Paid", FieldType::Logical, 0},
                            {"Notes", FieldType::Memo, 11},
                            {"Code", FieldType::Bytes, 4},
                            {"Photo", FieldType::Blob, 10},
                            {"Picture", FieldType::Graphic, 10},
                            {"Styled", FieldType::FormattedMemo, 10},
                            {"Object", FieldType::Ole, 10},
                            {"Seq", FieldType::AutoIncrement, 0}});
    for (const Row& row : rows)
        w.append(row);
    w.commit();
}

} // namespace tabulex::test
