// Rows sent many to a statement arrive, and fail, exactly as rows sent one to a statement.
#include "BatchTestSupport.h"

#include "StandinServer.h"
#include "TestPaths.h"
#include "paradox/TableFiles.h"
#include "paradox/TableWriter.h"

#include <QFile>
#include <QRegularExpression>

using namespace tabulex;
using namespace tabulex::test;

namespace {

// The rows of a run that failed, as the rejected-rows files keep them: each report and its
// statement (standard error shows only the first few reports in full).
QStringList errorReports(const QString& err)
{
    static const QRegularExpression kept(
        QStringLiteral(": [0-9,]+ rows? failed, kept in ([^\n]+)"));
    QStringList out;
    for (auto it = kept.globalMatch(err); it.hasNext();) {
        QFile file(it.next().captured(1));
        if (!file.open(QIODevice::ReadOnly))
            return {"missing " + file.fileName()};
        QStringList rows = QString::fromUtf8(file.readAll()).split(QStringLiteral("\n\n"));
        rows.removeFirst(); // the file's heading
        out += rows;
    }
    return out;
}

// 2,500 rows, every 97th of which the server refuses, one with a value that needs a
// statement of its own.
void writeFailingTable(const QString& folder)
{
    using paradox::FieldType;
    paradox::TableWriter w((folder + QStringLiteral("/FAILS.db")).toStdString(),
                           {{"N", FieldType::Long, 0},
                            {"Name", FieldType::Alpha, 40},
                            {"Notes", FieldType::Memo, 11}});
    for (int i = 0; i < 2500; ++i)
        w.append({paradox::Value(i),
                  paradox::Value((i % 97 == 0 ? "bad " : "good ") + std::to_string(i)),
                  paradox::Value(std::string(i == 1500 ? 1100000 : 20, 'x'))});
    w.commit();
}

class BatchRowsPerStatement : public BatchTest {
protected:
    // Sends every table of the folder to a fresh stand-in that refuses the bad rows; its
    // tables and the run's error reports.
    std::pair<std::map<QString, Rows>, QStringList> sendTo(const QStringList& extra)
    {
        StandinServer fresh;
        fresh.failStatements(QStringLiteral("'bad "), 547,
                             QStringLiteral("The INSERT statement conflicted with the CHECK "
                                            "constraint \"CK_Name\"."));
        QStringList args = QStringList{"send", "--to", "sql", "--all", "--max-row-errors", "0"} +
                           extra + connection();
        args[args.indexOf("--port") + 1] = QString::number(fresh.port());
        args[args.indexOf("--user") + 1] = fresh.user();
        args[args.indexOf("--database") + 1] = fresh.database();
        const BatchResult run = batch(args);
        std::map<QString, Rows> tables;
        for (const auto& f : paradox::listTableFiles(folder().toStdString())) {
            const QString t = QString::fromStdString(f.stem().string());
            tables[t] = sqlTable(fresh.connectionString(), t);
        }
        return {tables, errorReports(run.err)};
    }
};

} // namespace

TEST_F(BatchRowsPerStatement, ManyRowsToAStatementArriveAndFailAsOneRowToAStatement)
{
    TABULEX_REQUIRE_FIXTURES();
    copyAllFixtures();
    writeFailingTable(folder());

    const auto [oneByOne, oneByOneReports] = sendTo({"--rows-per-statement", "1"});
    const auto [many, manyReports] = sendTo({});
    ASSERT_EQ(oneByOne.size(), many.size());
    for (const auto& [table, rows] : oneByOne) {
        const Rows& other = many.at(table);
        ASSERT_EQ(rows.size(), other.size()) << table.toStdString();
        for (size_t r = 0; r < rows.size(); ++r)
            EXPECT_EQ(rows[r], other[r]) << table.toStdString() << " row " << r;
    }
    EXPECT_EQ(oneByOne.at("FAILS").size(), 2500u - 26u);
    EXPECT_EQ(oneByOneReports.filter("CK_Name").size(), 26);
    EXPECT_EQ(oneByOneReports, manyReports);
}
