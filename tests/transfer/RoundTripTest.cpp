#include "TransferFixture.h"

#include "TestPaths.h"
#include "core/AdoTypes.h"
#include "core/DecimalText.h"
#include "paradox/TableFiles.h"

#include <QDir>

using namespace tabulex;
using namespace tabulex::test;

namespace {

// What a Paradox value becomes on SQL Server under the default mapping: dates, times,
// timestamps and Booleans travel as their text (their SQL Server columns are TEXT); a BCD
// number keeps its exact digits in a DECIMAL column; everything else keeps kind and value.
Value expectedOnSqlServer(const Value& original)
{
    switch (original.kind()) {
    case Value::Kind::Date:
    case Value::Kind::Time:
    case Value::Kind::Timestamp:
    case Value::Kind::Bool:
        return Value(original.toText());
    default:
        return original;
    }
}

// And back in Paradox: texts stay texts; a decimal becomes a Number, the double of its
// digits, where a double holds them (rows where it does not are refused, see below).
Value expectedBack(const Value& original)
{
    if (original.kind() == Value::Kind::Decimal)
        return Value(*exactDouble(original.toDecimal().text));
    return expectedOnSqlServer(original);
}

bool fitsParadoxNumbers(const std::vector<Value>& row)
{
    for (const Value& v : row)
        if (v.kind() == Value::Kind::Decimal && !exactDouble(v.toDecimal().text))
            return false;
    return true;
}

template <typename Expect>
void expectSameRows(const Rows& original, const Rows& actual, const QString& table, Expect expected)
{
    ASSERT_EQ(actual.size(), original.size()) << table.toStdString();
    for (size_t r = 0; r < original.size(); ++r) {
        ASSERT_EQ(actual[r].size(), original[r].size()) << table.toStdString();
        for (size_t c = 0; c < original[r].size(); ++c)
            EXPECT_EQ(actual[r][c], expected(original[r][c]))
                << table.toStdString() << " row " << r << " column " << c << ": "
                << original[r][c].toText().left(80).toStdString() << " became "
                << actual[r][c].toText().left(80).toStdString();
    }
}

} // namespace

// Every fixture table goes to SQL Server and back with the default mapping.
TEST_F(TransferTest, EveryFixtureTableComesBackWithTheSameValues)
{
    TABULEX_REQUIRE_FIXTURES();
    for (const char* sub : {"db", "fields", "encrypt"}) {
        QStringList names;
        for (const auto& f :
             paradox::listTableFiles((paradoxFixtures() + u'/' + sub).toStdString()))
            names << QString::fromStdString(f.stem().string());
        copyFixtures(QString::fromLatin1(sub), names);
    }
    refillParadoxList();
    const QStringList tables = paradoxList.items();
    ASSERT_GE(tables.size(), 20);
    std::map<QString, Rows> originals;
    std::map<QString, std::vector<Field>> originalFields;
    for (const QString& t : tables)
        originals[t] = paradoxRows(t, &originalFields[t]);

    const TransferSummary there = toSqlServer(tables);
    for (const QString& report : host.prompts.errorReports())
        ADD_FAILURE() << report.toStdString();
    EXPECT_EQ(there.tablesSent, tables.size());
    EXPECT_EQ(sqlList.items(), tables);
    for (const QString& t : tables)
        expectSameRows(originals[t], sqlRows(t), t, expectedOnSqlServer);

    // Back into an emptied folder. Long names are cut to eight characters on request, except
    // AREACODES, whose cut name is another table's (tested on its own).
    for (const QFileInfo& f : QDir(folder()).entryInfoList(QDir::Files))
        QFile::remove(f.filePath());
    paradoxList.clear();
    host.prompts.clear();
    QStringList returning;
    for (auto it = tables.rbegin(); it != tables.rend(); ++it) {
        if (it->size() > 8)
            host.prompts.questionAnswers.push_back(*it != "AREACODES");
        if (*it != "AREACODES")
            returning << *it;
    }
    const TransferSummary back = toParadox(tables);
    // The BCD values of 32 decimals that no Paradox Number holds are refused row by row.
    qint64 refused = 0;
    for (const auto& row : originals["BCD"])
        refused += fitsParadoxNumbers(row) ? 0 : 1;
    EXPECT_EQ(refused, 3);
    EXPECT_EQ(back.rowsFailed, refused);
    for (const QString& report : host.prompts.errorReports())
        EXPECT_TRUE(report.contains("'C'") && report.contains("INSERT INTO [BCD]"))
            << report.toStdString();
    EXPECT_EQ(back.tablesSkipped, 1);
    for (const QString& t : returning) {
        Rows kept;
        for (const auto& row : originals[t])
            if (fitsParadoxNumbers(row))
                kept.push_back(row);
        std::vector<Field> fields;
        expectSameRows(kept, paradoxRows(t.left(8), &fields), t, expectedBack);
        // Alpha fields come back as Alpha fields, not as the Memos of their NTEXT columns.
        ASSERT_EQ(fields.size(), originalFields[t].size()) << t.toStdString();
        for (size_t i = 0; i < fields.size(); ++i) {
            if (originalFields[t][i].type == ado::adVarChar) {
                EXPECT_EQ(fields[i].type, ado::adVarChar)
                    << t.toStdString() << " field " << fields[i].name.toStdString();
            }
        }
    }
}
