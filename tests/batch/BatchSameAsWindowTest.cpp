// A table sent by tabulex-batch and the same table sent by the table window arrive alike.
#include "BatchTestSupport.h"

#include "TestPaths.h"
#include "connect/ConnectionStrings.h"
#include "paradox/TableFiles.h"
#include "tables/ListFill.h"
#include "ui/tables/TableWindow.h"

#include <QFile>
#include <QPushButton>

using namespace tabulex;
using namespace tabulex::test;

namespace {

struct Table {
    QStringList fields;
    Rows rows;
};
using Tables = std::map<QString, Table>;

void expectSame(const Tables& byBatch, const Tables& byWindow)
{
    ASSERT_EQ(byBatch.size(), byWindow.size());
    for (const auto& [name, batchTable] : byBatch) {
        const Table& windowTable = byWindow.at(name);
        EXPECT_EQ(batchTable.fields, windowTable.fields) << name.toStdString();
        ASSERT_EQ(batchTable.rows.size(), windowTable.rows.size()) << name.toStdString();
        for (size_t r = 0; r < batchTable.rows.size(); ++r)
            EXPECT_EQ(batchTable.rows[r], windowTable.rows[r])
                << name.toStdString() << " row " << r;
    }
}

class BatchSameAsWindow : public BatchTest {
protected:
    // The table window over the stand-in and a folder, its lists filled.
    std::unique_ptr<TableWindow> window(const QString& paradoxFolder)
    {
        ConnectionFields fields;
        fields.paradoxFolder = paradoxFolder;
        fields.server = QStringLiteral("127.0.0.1");
        fields.port = QString::number(server->port());
        fields.user = server->user();
        fields.password = server->password();
        fields.database = server->database();
        auto tableWindow = std::make_unique<TableWindow>(
            m_prompts, [fields] { return fields; }, m_connection);
        fillSqlTableList(tableWindow->sqlTables(), server->connectionString(), *tableWindow);
        fillParadoxTableList(tableWindow->paradoxTables(), paradoxFolder, *tableWindow);
        return tableWindow;
    }

    static void selectAll(TableList& list)
    {
        for (int i = 0; i < list.count(); ++i)
            list.setSelected(i, true);
        list.setCurrentIndex(0);
    }

    Tables sqlSide()
    {
        Tables out;
        for (const QString& t : sqlTables())
            out[t].rows = sqlTable(server->connectionString(), t, &out[t].fields);
        return out;
    }

    static Tables paradoxSide(const QString& paradoxFolder)
    {
        Tables out;
        for (const auto& f : paradox::listTableFiles(paradoxFolder.toStdString())) {
            const QString t = QString::fromStdString(f.stem().string());
            out[t].rows = paradoxTable(paradoxFolder, t, &out[t].fields);
        }
        return out;
    }

    ScriptedPrompter m_prompts;
    QWidget m_connection;
};

} // namespace

TEST_F(BatchSameAsWindow, EveryFixtureTableArrivesTheSameBothWays)
{
    TABULEX_REQUIRE_FIXTURES();
    const QStringList names = copyAllFixtures();

    // Paradox to SQL Server: once by tabulex-batch, once by "Send Table/s To SQL Server".
    const BatchResult toSql = batch(QStringList{"send", "--to", "sql", "--all"} + connection());
    const Tables sqlByBatch = sqlSide();
    ASSERT_EQ(sqlByBatch.size(), size_t(names.size())) << toSql.err.toStdString();
    server->reset();
    auto tableWindow = window(folder());
    selectAll(tableWindow->paradoxTables());
    tableWindow->sendToSqlServerButton->click();
    expectSame(sqlByBatch, sqlSide());
    EXPECT_EQ(toSql.err.count("Application Error"), qsizetype(m_prompts.errorReports().size()));
    EXPECT_EQ(toSql.exitCode, m_prompts.errorReports().empty() ? 0 : 1);

    // And back into two empty folders: by "Send Table/s To Paradox", then by tabulex-batch.
    // Names longer than 8 characters are cut in both.
    QTemporaryDir byWindow;
    QTemporaryDir byBatch;
    tableWindow = window(byWindow.path());
    int longNames = 0;
    for (const QString& n : names)
        longNames += n.size() > 8 ? 1 : 0;
    m_prompts.questionAnswers.assign(size_t(longNames), true);
    m_prompts.clear();
    selectAll(tableWindow->sqlTables());
    tableWindow->sendToParadoxButton->click();
    const BatchResult toParadox =
        batch(QStringList{"send", "--to", "paradox", "--all", "--cut", "yes"} + connection() +
              QStringList{"--folder", byBatch.path()});
    const Tables paradoxByBatch = paradoxSide(byBatch.path());
    ASSERT_GE(paradoxByBatch.size(), size_t(names.size() - longNames))
        << toParadox.err.toStdString();
    expectSame(paradoxByBatch, paradoxSide(byWindow.path()));
    EXPECT_EQ(toParadox.err.count("Application Error"), qsizetype(m_prompts.errorReports().size()));
}
