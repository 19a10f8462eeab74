#include "TableWindowFixture.h"
#include "TestHost.h"
#include "connect/ConnectionStrings.h"
#include "core/DataError.h"
#include "core/StopRequest.h"
#include "host/TableList.h"
#include "paradox/TableWriter.h"
#include "settings/Settings.h"
#include "tables/ListFill.h"
#include "transfer/Statements.h"
#include "ui/common/WindowCommands.h"
#include "ui/tables/TableWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>

using namespace tabulex;
using namespace tabulex::test;
using Kind = ScriptedPrompter::Kind;
using Clock = std::chrono::steady_clock;

namespace {

// The table window over the stand-in and a temporary Paradox folder.
class TransferWindowTest : public TableWindowFixture {
protected:
    void SetUp() override
    {
        TableWindowFixture::SetUp();
        // What the window shows of the command while it runs.
        QObject::connect(m_window->progressBar, &QProgressBar::valueChanged, [this](int v) {
            m_progress.push_back(v);
            m_enabledDuringCommand |= anyCommandEnabled();
        });
    }

    bool anyCommandEnabled() const
    {
        const TableWindow& f = *m_window;
        for (const QWidget* w : std::initializer_list<const QWidget*>{
                 f.deleteSqlTablesButton, f.sendToParadoxButton, f.sendToSqlServerButton,
                 f.deleteParadoxTablesButton, f.renameSqlTableButton, f.renameParadoxTableButton,
                 f.sqlTableList, f.paradoxTableList, f.customizeToParadoxCheck,
                 f.customizeToSqlServerCheck})
            if (w->isEnabled())
                return true;
        return false;
    }

    static void makeTable(const QString& name, int rows)
    {
        s_server->execute("CREATE TABLE " + bracketName(name) + "([n] INT, [t] NVARCHAR(20))");
        for (int i = 1; i <= rows; ++i)
            s_server->execute("INSERT INTO " + bracketName(name) +
                              QStringLiteral(" VALUES(%1, N'row %1')").arg(i));
    }

    void writeParadoxNumbers(const QString& name, int rows)
    {
        paradox::TableWriter w((m_folder.path() + u'/' + name + ".db").toStdString(),
                               {{"n", paradox::FieldType::Long, 0}});
        for (int i = 1; i <= rows; ++i)
            w.append({paradox::Value(i)});
        w.commit();
    }

    // Runs f once, when the progress bar shows percent.
    void atProgress(int percent, std::function<void()> f)
    {
        QObject::connect(m_window->progressBar, &QProgressBar::valueChanged, m_window.get(),
                         [percent, f = std::move(f)](int v) {
                             if (v == percent)
                                 f();
                         });
    }

    std::vector<int> m_progress;
    bool m_enabledDuringCommand = false;
};

} // namespace

TEST_F(TransferWindowTest, SendingToParadoxMovesTheBarLocksTheWindowAndRefillsTheList)
{
    makeTable("Three", 3);
    makeTable("Other", 1);
    fillLists();
    select(m_window->sqlTables(), {"Three"});
    m_window->sendToParadoxButton->click();

    EXPECT_TRUE(m_prompter.errorReports().empty());
    EXPECT_EQ(m_progress, std::vector<int>({33, 67, 100, 0}));
    EXPECT_EQ(m_window->progressBar->format(), "Progress Bar");
    EXPECT_FALSE(m_enabledDuringCommand);
    EXPECT_TRUE(anyCommandEnabled());
    EXPECT_TRUE(m_window->sendToParadoxButton->isEnabled());
    EXPECT_EQ(items(m_window->paradoxTables()), QStringList({"THREE"}));
    EXPECT_EQ(items(m_window->sqlTables()), QStringList({"Other", "Three"}));
}

TEST_F(TransferWindowTest, SendingToSqlServerAddsEachTableAndNoSkipsOnlyThatTable)
{
    makeTable("Alpha", 2);
    makeTable("Beta", 1);
    fillLists();
    select(m_window->sqlTables(), {"Alpha", "Beta"});
    m_window->sendToParadoxButton->click();
    s_server->execute("DROP TABLE [Alpha]");
    fillLists();
    ASSERT_EQ(items(m_window->sqlTables()), QStringList({"Beta"}));

    // BETA is on the server already (as Beta): No keeps it; ALPHA is sent.
    m_prompter.questionAnswers = {false};
    select(m_window->paradoxTables(), {"ALPHA", "BETA"});
    m_window->sendToSqlServerButton->click();
    ASSERT_EQ(m_prompter.of(Kind::Question).size(), 1u);
    EXPECT_EQ(m_prompter.of(Kind::Question)[0].text, "Would you like to overwrite Beta?");
    EXPECT_EQ(items(m_window->sqlTables()), QStringList({"ALPHA", "Beta"}));
    EXPECT_EQ(s_server->query("SELECT * FROM [ALPHA]").size(), 2u);
    EXPECT_TRUE(anyCommandEnabled());

    // Each send of two tables ends with one results window: a row per table, in the order
    // sent, each table read back and verified.
    ASSERT_EQ(m_prompter.results.size(), 2u);
    const RunResults& toParadox = m_prompter.results[0];
    ASSERT_EQ(toParadox.rows.size(), 2u);
    const qsizetype verified = toParadox.headings.indexOf("Verified");
    ASSERT_GE(verified, 0);
    EXPECT_EQ(toParadox.rows[0].value(0), "Beta");
    EXPECT_EQ(toParadox.rows[0].value(2), "Sent");
    EXPECT_EQ(toParadox.rows[1].value(verified), "Yes");
    EXPECT_EQ(toParadox.rows[1].value(4), "2"); // rows written
    const RunResults& toSqlServer = m_prompter.results[1];
    ASSERT_EQ(toSqlServer.rows.size(), 2u);
    EXPECT_EQ(toSqlServer.rows[0].value(2), "Skipped");
    EXPECT_EQ(toSqlServer.rows[1].value(2), "Sent");
    EXPECT_EQ(toSqlServer.rows[1].value(verified), "Yes");
    EXPECT_TRUE(toSqlServer.keptFolder.isEmpty());
    EXPECT_TRUE(m_window->progressLabel->text().isEmpty());
}

TEST_F(TransferWindowTest, ARefusedRowIsReportedWithTheStatementInHand)
{
    makeTable("Nums", 0);
    s_server->execute("INSERT INTO [Nums] VALUES(-2147483648, N'low')");
    s_server->execute("INSERT INTO [Nums] VALUES(5, N'ok')");
    fillLists();
    select(m_window->sqlTables(), {"Nums"});
    m_window->sendToParadoxButton->click();
    ASSERT_EQ(m_prompter.errorReports().size(), 1u);
    const QString report = m_prompter.errorReports()[0];
    EXPECT_TRUE(report.contains("\r\nin Verandi2021/08/31.Form2.PushButton3_Click at line 136\r\r"))
        << report.toStdString();
    EXPECT_TRUE(report.endsWith("\r\rsql: INSERT INTO [Nums] VALUES('-2147483648', 'low')"))
        << report.toStdString();
    EXPECT_EQ(items(m_window->paradoxTables()), QStringList({"NUMS"}));
    EXPECT_TRUE(anyCommandEnabled());
}

TEST_F(TransferWindowTest, NothingSelectedAsksForASelection)
{
    makeTable("Alpha", 1);
    fillLists();
    m_window->sqlTableList->setCurrentRow(-1);
    m_window->sendToParadoxButton->click();
    m_window->sendToSqlServerButton->click();
    const auto messages = m_prompter.of(Kind::Message);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].text, "Please select a table to send.");
    EXPECT_EQ(messages[1].text, "Please select a table to send.");
    EXPECT_EQ(messages[0].title, "Tabulex");
}

TEST_F(TransferWindowTest, ClosingDuringASendToSqlServerEndsTheHeldStatementAndDropsTheTable)
{
    keepWindowsAnswering();
    writeParadoxNumbers("NUMS", 10);
    fillLists();
    select(m_window->paradoxTables(), {"NUMS"});
    Clock::time_point closed;
    // The server holds the INSERT of the rows when the window is closed.
    atProgress(100, [&] {
        s_server->control("delay 60000 INSERT");
        QTimer::singleShot(100, m_window.get(), [&] {
            closed = Clock::now();
            m_window->close();
        });
    });
    m_prompter.questionAnswers = {true}; // stop it and close
    m_window->sendToSqlServerButton->click();
    EXPECT_LT(Clock::now() - closed, std::chrono::seconds(2));
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].kind, Kind::Question);
    EXPECT_EQ(m_prompter.prompts[0].defaultText, "No");
    EXPECT_TRUE(items(m_window->sqlTables()).isEmpty());
    clearStopRequest();
    // Neither the table nor the one built under its own name is left.
    EXPECT_TRUE(s_server->query("SELECT * FROM INFORMATION_SCHEMA.TABLES").empty());
}

// Closed during the copy (at the third row) or after the last row, while the table is
// written: nothing is placed in the folder.
TEST_F(TransferWindowTest, ClosingDuringASendToParadoxStopsAtTheNextRowAndWritesNothing)
{
    keepWindowsAnswering();
    makeTable("Many", 10);
    for (int closeAt : {30, 100}) {
        clearStopRequest();
        fillLists();
        select(m_window->sqlTables(), {"Many"});
        m_progress.clear();
        QObject::disconnect(m_window->progressBar, &QProgressBar::valueChanged, m_window.get(),
                            nullptr);
        atProgress(closeAt, [&] { m_window->close(); });
        m_prompter.clear();
        m_prompter.questionAnswers = {true};
        m_window->sendToParadoxButton->click();
        EXPECT_EQ(std::count(m_progress.begin(), m_progress.end(), closeAt), 1) << closeAt;
        EXPECT_EQ(m_prompter.prompts.size(), 1u);
        EXPECT_TRUE(items(m_window->paradoxTables()).isEmpty());
        EXPECT_TRUE(QDir(m_folder.path())
                        .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)
                        .isEmpty())
            << closeAt;
    }
}

// Closing during a send answered No lets it finish; Stop ends it as closing would, keeps the
// table it replaces, and the window goes on.
TEST_F(TransferWindowTest, StopEndsASendAndKeepsTheOldTable)
{
    keepWindowsAnswering();
    makeTable("NUMS", 1);
    writeParadoxNumbers("NUMS", 10);
    fillLists();
    EXPECT_FALSE(m_window->stopButton->isEnabled());
    bool stopEnabled = false;
    select(m_window->paradoxTables(), {"NUMS"});
    atProgress(30, [&] {
        stopEnabled = m_window->stopButton->isEnabled();
        m_window->close();
    });
    m_prompter.questionAnswers = {true, false}; // overwrite NUMS; do not stop
    m_window->sendToSqlServerButton->click();
    EXPECT_TRUE(stopEnabled);
    EXPECT_FALSE(stopRequested());
    EXPECT_EQ(s_server->query("SELECT * FROM [NUMS]").size(), 10u);

    QObject::disconnect(m_window->progressBar, &QProgressBar::valueChanged, m_window.get(),
                        nullptr);
    makeTable("OLD", 1);
    ASSERT_TRUE(QFile::rename(m_folder.filePath("NUMS.db"), m_folder.filePath("OLD.db")));
    fillLists();
    select(m_window->paradoxTables(), {"OLD"});
    atProgress(30, [&] { m_window->stopButton->click(); });
    m_prompter.clear();
    m_prompter.questionAnswers = {true};
    m_window->sendToSqlServerButton->click();
    EXPECT_FALSE(stopRequested());
    EXPECT_FALSE(m_window->stopButton->isEnabled());
    EXPECT_TRUE(m_window->sendToSqlServerButton->isEnabled());
    EXPECT_EQ(s_server->query("SELECT * FROM [OLD]").size(), 1u);
    EXPECT_EQ(s_server->query("SELECT * FROM INFORMATION_SCHEMA.TABLES").size(), 2u);
    const auto messages = m_prompter.of(Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith("The transfer was stopped."));
    EXPECT_EQ(items(m_window->sqlTables()), QStringList({"NUMS", "OLD"}));
}

// Three tables of one name in the window: each its own entry, sent once under a name of its
// own, deleted alone.
TEST_F(TransferWindowTest, TablesOfOneNameAreEachTheirOwnEntry)
{
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("sub"));
    writeParadoxNumbers("orders", 5);
    writeParadoxNumbers("twin", 3); // the writer keeps one table to a name, as Windows does
    ASSERT_TRUE(QFile::rename(m_folder.filePath("twin.db"), m_folder.filePath("ORDERS.db")));
    writeParadoxNumbers("sub/Orders", 2);
    fillLists();
    ASSERT_EQ(items(m_window->paradoxTables()), QStringList({"ORDERS", "orders", "sub/ORDERS"}));
    select(m_window->paradoxTables(), items(m_window->paradoxTables()));
    m_window->sendToSqlServerButton->click();
    EXPECT_TRUE(m_prompter.errorReports().empty());
    EXPECT_TRUE(m_prompter.of(Kind::Question).empty());
    EXPECT_EQ(items(m_window->sqlTables()), QStringList({"ORDERS", "orders_2", "sub_ORDERS"}));
    EXPECT_EQ(s_server->query("SELECT * FROM [ORDERS]").size(), 3u);
    EXPECT_EQ(s_server->query("SELECT * FROM [orders_2]").size(), 5u);
    EXPECT_EQ(s_server->query("SELECT * FROM [sub_ORDERS]").size(), 2u);

    // Back to Paradox over ORDERS: its twin orders keeps every byte.
    const auto bytes = [&](const QString& name) {
        QFile f(m_folder.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray twin = bytes("orders.db");
    m_prompter.questionAnswers = {true};
    select(m_window->sqlTables(), {"ORDERS"});
    m_window->sendToParadoxButton->click();
    ASSERT_EQ(m_prompter.of(Kind::Question).size(), 1u);
    EXPECT_EQ(m_prompter.of(Kind::Question)[0].text, "Would you like to overwrite ORDERS?");
    EXPECT_EQ(bytes("orders.db"), twin);
    EXPECT_TRUE(QFile::exists(m_folder.filePath("ORDERS.db")));
    EXPECT_EQ(items(m_window->paradoxTables()), QStringList({"ORDERS", "orders", "sub/ORDERS"}));

    select(m_window->paradoxTables(), {"sub/ORDERS"});
    m_prompter.questionAnswers = {true};
    m_window->deleteParadoxTablesButton->click();
    EXPECT_FALSE(QFile::exists(m_folder.filePath("sub/Orders.db")));
    EXPECT_TRUE(QFile::exists(m_folder.filePath("orders.db")));
    EXPECT_TRUE(QFile::exists(m_folder.filePath("ORDERS.db")));
    EXPECT_EQ(items(m_window->paradoxTables()), QStringList({"ORDERS", "orders"}));
}

// The lists show what each side holds, compared as that side compares names, and the
// questions name a table as its list spells it.
TEST_F(TransferWindowTest, ListsTellTheTruth)
{
    makeTable("Numbers", 1);
    writeParadoxNumbers("NUMBERS", 4);
    fillLists();
    m_prompter.questionAnswers = {true};
    select(m_window->paradoxTables(), {"NUMBERS"});
    m_window->sendToSqlServerButton->click();
    ASSERT_EQ(m_prompter.of(Kind::Question).size(), 1u);
    EXPECT_EQ(m_prompter.of(Kind::Question)[0].text, "Would you like to overwrite Numbers?");
    EXPECT_EQ(items(m_window->sqlTables()), QStringList({"NUMBERS"}));
    select(m_window->sqlTables(), {"NUMBERS"});
    m_prompter.questionAnswers = {true};
    m_window->deleteSqlTablesButton->click();
    EXPECT_TRUE(items(m_window->sqlTables()).isEmpty());
    EXPECT_TRUE(m_prompter.errorReports().empty());

    // F5 reads both sides again.
    makeTable("Customer", 2);
    writeParadoxNumbers("CUSTOMER", 1);
    m_window->show();
    QApplication::setActiveWindow(m_window.get());
    QTest::keyClick(m_window.get(), Qt::Key_F5);
    EXPECT_EQ(items(m_window->sqlTables()), QStringList({"Customer"}));
    EXPECT_EQ(items(m_window->paradoxTables()), QStringList({"CUSTOMER", "NUMBERS"}));

    m_prompter.clear();
    m_prompter.questionAnswers = {true};
    select(m_window->sqlTables(), {"Customer"});
    m_window->sendToParadoxButton->click();
    ASSERT_EQ(m_prompter.of(Kind::Question).size(), 1u);
    EXPECT_EQ(m_prompter.of(Kind::Question)[0].text, "Would you like to overwrite CUSTOMER?");
    EXPECT_EQ(items(m_window->paradoxTables()), QStringList({"CUSTOMER", "NUMBERS"}));

    // Tables made and dropped behind the window's back show after Refresh.
    s_server->execute("DROP TABLE [Customer]");
    writeParadoxNumbers("Later", 1);
    m_window->refreshButton->click();
    EXPECT_TRUE(items(m_window->sqlTables()).isEmpty());
    EXPECT_EQ(items(m_window->paradoxTables()), QStringList({"CUSTOMER", "LATER", "NUMBERS"}));
    EXPECT_TRUE(m_prompter.errorReports().empty());
}
