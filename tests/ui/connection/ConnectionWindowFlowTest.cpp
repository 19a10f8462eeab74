// "Next >", the automatic advance at start-up and "Help" of the connection window.
#include "FreePort.h"
#include "ScriptedPrompter.h"
#include "SilentListener.h"
#include "StandinServer.h"
#include "core/AppInfo.h"
#include "host/TableList.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"
#include "ui/common/WindowCommands.h"
#include "ui/common/WindowPointer.h"
#include "ui/connection/ConnectionWindow.h"
#include "ui/tables/TableWindow.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

using namespace tabulex;
using Kind = test::ScriptedPrompter::Kind;

namespace {

class ConnectionWindowFlowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<test::StandinServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }
    void SetUp() override
    {
        QFile::remove(Settings::filePath());
        s_server->reset();
        s_server->execute("CREATE TABLE [Orders] (id int)");
        ASSERT_TRUE(m_tables.isValid() && m_empty.isValid());
        QFile(m_tables.filePath("Parts.db")).open(QIODevice::WriteOnly);
    }
    // The stored values of a working setup.
    void storeWorkingSetup()
    {
        Settings::write(keys::ParadoxFolder, m_tables.path());
        Settings::write(keys::Server, "127.0.0.1");
        Settings::write(keys::Port, QString::number(s_server->port()));
        Settings::write(keys::User, s_server->user());
        Settings::write(keys::Password, s_server->password());
        Settings::write(keys::Database, s_server->database());
    }
    static int logins() { return s_server->status().logins; }

    static std::unique_ptr<test::StandinServer> s_server;
    test::ScriptedPrompter m_prompter;
    QTemporaryDir m_tables;
    QTemporaryDir m_empty;
};

std::unique_ptr<test::StandinServer> ConnectionWindowFlowTest::s_server;

QStringList items(const TableList& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i);
    return out;
}

} // namespace

TEST_F(ConnectionWindowFlowTest, StartUpWithWorkingStoredValuesOpensTheTableWindow)
{
    storeWorkingSetup();
    ConnectionWindow window(m_prompter);
    window.load();
    ASSERT_NE(window.tableWindow(), nullptr);
    EXPECT_TRUE(window.tableWindow()->isVisible());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(items(window.tableWindow()->sqlTables()), QStringList{"Orders"});
    EXPECT_EQ(items(window.tableWindow()->paradoxTables()), QStringList{"PARTS"});
    EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(ConnectionWindowFlowTest, StartUpThatCannotAdvanceShowsTheConnectionWindowQuietly)
{
    struct Row {
        const char* what;
        QString folder, server, password;
        QString report; // expected error report location, if any
    };
    const Row rows[] = {
        {"first start", "", "", "", ""},
        {"no server", m_tables.path(), "", s_server->password(), ""},
        {"no tables", m_empty.path(), "127.0.0.1", s_server->password(), ""},
        {"login refused", m_tables.path(), "127.0.0.1", "wrong", ""},
        {"path rejected", "/tmp/" + QString(300, 'x'), "127.0.0.1", s_server->password(),
         "\r\nin Verandi2021/08/31.Form1.Form_Load at line 124\r\r"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        QFile::remove(Settings::filePath());
        storeWorkingSetup();
        Settings::write(keys::ParadoxFolder, r.folder);
        Settings::write(keys::Server, r.server);
        Settings::write(keys::Password, r.password);
        m_prompter.clear();
        const int before = logins();
        ConnectionWindow window(m_prompter);
        window.load();
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.tableWindow(), nullptr);
        EXPECT_EQ(logins(), before); // with a valid password: the login was not even tried
        const auto reports = m_prompter.errorReports();
        EXPECT_EQ(m_prompter.prompts.size(), reports.size());
        EXPECT_EQ(reports.size(), r.report.isEmpty() ? 0u : 1u);
        if (!r.report.isEmpty() && !reports.empty()) {
            EXPECT_TRUE(reports[0].contains(r.report)) << reports[0].toStdString();
        }
    }
}

// "Next >" that cannot go on says which side failed and why, and puts the focus in the box
// to mend; the driver's own text is under the details.
TEST_F(ConnectionWindowFlowTest, NextThatCannotGoOnSaysWhichSideAndWhy)
{
    const int deadPort = test::freePort();
    const QString port = QString::number(s_server->port());
    const QString db = s_server->database();
    ConnectionWindow window(m_prompter);
    window.load();
    struct Row {
        const char* what;
        QString folder, port, password, database;
        QString says;
        QLineEdit* mend;
        QString details;
    };
    const Row rows[] = {
        {"empty folder text", "", port, s_server->password(), db,
         "Could not connect.\r\n\r\nParadox folder: no folder is given", window.folderEdit, ""},
        {"folder without tables", m_empty.path(), port, s_server->password(), db,
         "Could not connect.\r\n\r\nParadox folder: no Paradox tables (.db files) in this "
         "folder or its subfolders:\r\n" +
             m_empty.path(),
         window.folderEdit, ""},
        {"missing folder", m_empty.path() + "/gone", port, s_server->password(), db,
         "Could not connect.\r\n\r\nParadox folder: this folder does not exist:", window.folderEdit,
         ""},
        {"wrong password", m_tables.path(), port, "wrong", db,
         "Could not connect. Please check with your administrator.\r\n\r\nSQL Server: the "
         "server refused the login",
         window.passwordEdit, "Login failed"},
        {"unknown database", m_tables.path(), port, s_server->password(), "NoSuchDatabase",
         "Could not connect. Please check with your administrator.\r\n\r\nSQL Server: the "
         "server has no database NoSuchDatabase",
         window.databaseEdit, "NoSuchDatabase"},
        {"no server", m_tables.path(), QString::number(deadPort), s_server->password(), db,
         "Could not connect. Please check with your administrator.\r\n\r\nSQL Server: no "
         "server answers at 127.0.0.1, port " +
             QString::number(deadPort),
         window.serverEdit, ""},
    };
    window.serverEdit->setText("127.0.0.1");
    window.userEdit->setText(s_server->user());
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        window.folderEdit->setText(r.folder);
        window.portEdit->setText(r.port);
        window.passwordEdit->setText(r.password);
        window.databaseEdit->setText(r.database);
        window.nextButton->setFocus();
        m_prompter.clear();
        const int before = logins();
        window.nextButton->click();
        EXPECT_EQ(window.tableWindow(), nullptr);
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(logins(), before);
        EXPECT_EQ(window.pointer().mousePointer(), MousePointer::Default);
        ASSERT_EQ(m_prompter.prompts.size(), 1u);
        EXPECT_EQ(m_prompter.prompts[0].kind, Kind::Message);
        EXPECT_TRUE(m_prompter.prompts[0].text.startsWith(r.says))
            << m_prompter.prompts[0].text.toStdString();
        EXPECT_TRUE(m_prompter.prompts[0].defaultText.contains(r.details))
            << m_prompter.prompts[0].defaultText.toStdString();
        EXPECT_EQ(window.focusWidget(), r.mend);
    }
    // Tables only in subfolders: the folder does not serve, and the message says where they are.
    QTemporaryDir deeper;
    ASSERT_TRUE(QDir(deeper.path()).mkpath("2024/march"));
    ASSERT_TRUE(QFile(deeper.filePath("2024/march/ORDERS.db")).open(QIODevice::WriteOnly));
    window.folderEdit->setText(deeper.path());
    window.portEdit->setText(port);
    window.databaseEdit->setText(db);
    for (QPushButton* button : {window.testParadoxFolderButton, window.nextButton}) {
        m_prompter.clear();
        button->click();
        ASSERT_EQ(m_prompter.prompts.size(), 1u);
        EXPECT_TRUE(m_prompter.prompts[0].text.startsWith(
            "Could not connect.\r\n\r\nParadox folder: no tables directly in this folder, but "
            "1 table in its subfolders"))
            << m_prompter.prompts[0].text.toStdString();
        EXPECT_EQ(window.focusWidget(), window.folderEdit);
    }
    EXPECT_TRUE(window.tableWindow() == nullptr || !window.tableWindow()->isVisible());
}

TEST_F(ConnectionWindowFlowTest, HelpExplainsAndOffersThePicture)
{
    ConnectionWindow window(m_prompter);
    window.load();
    m_prompter.questionAnswers = {false, true};
    window.helpButton->click();
    EXPECT_TRUE(m_prompter.openedUrls.empty());
    window.helpButton->click();
    ASSERT_EQ(m_prompter.openedUrls.size(), 1u);
    EXPECT_EQ(m_prompter.openedUrls[0],
              QUrl::fromLocalFile(applicationFolder() + "/local-connection-example.jpg"));
    ASSERT_EQ(m_prompter.prompts.size(), 5u);
    const QString help =
        "If you cannot establish connection to your MS SQL Server database with this program, "
        "please go to: \r\rhttps://learn.microsoft.com/sql/linux/sql-server-linux-setup-tools\r\r"
        "Install the command-line tool sqlcmd from there (or use tsql, which comes with FreeTDS: "
        "\"tsql -H server -p port -U user -D database\"). Try to connect to the same "
        "database (with the same login information you are using here). This will determine if "
        "the login you are using is correct.";
    EXPECT_EQ(m_prompter.prompts[0].kind, Kind::Message);
    EXPECT_EQ(m_prompter.prompts[0].text, help);
    EXPECT_EQ(m_prompter.prompts[1].kind, Kind::Question);
    EXPECT_EQ(m_prompter.prompts[1].text,
              "Would you like to see an image of how I connect locally?");
    for (const auto& p : m_prompter.prompts) {
        if (p.kind != Kind::OpenUrl) {
            EXPECT_TRUE(p.title == appTitle());
        }
    }
}

TEST_F(ConnectionWindowFlowTest, TestConnectionTellsWhetherTheLoginWorks)
{
    ConnectionWindow window(m_prompter);
    window.serverEdit->setText("127.0.0.1");
    window.portEdit->setText(QString::number(s_server->port()));
    window.userEdit->setText(s_server->user());
    window.passwordEdit->setText(s_server->password());
    window.databaseEdit->setText(s_server->database());
    const QString ok = "Connection successful.\r\n\r\nSQL Server: logged in to the database " +
                       s_server->database() + " on 127.0.0.1, port " +
                       QString::number(s_server->port()) + ".";
    const QString failed = "Could not connect. Please check with your administrator.\r\n\r\n";
    auto test = [&] {
        m_prompter.clear();
        window.onTestSqlConnection();
        const auto messages = m_prompter.of(Kind::Message);
        EXPECT_TRUE(m_prompter.errorReports().empty());
        EXPECT_EQ(window.pointer().mousePointer(), MousePointer::Default);
        return messages.size() == 1 ? messages[0].text
                                    : QString("(%1 messages)").arg(messages.size());
    };
    EXPECT_EQ(test(), ok);
    EXPECT_EQ(m_prompter.of(Kind::Message)[0].title, appTitle());
    window.passwordEdit->setText("wrong");
    EXPECT_TRUE(test().startsWith(failed + "SQL Server: the server refused the login"));
    window.passwordEdit->setText(s_server->password());
    window.databaseEdit->setText("NoSuchDatabase");
    EXPECT_TRUE(test().startsWith(failed + "SQL Server: the server has no database"));
    window.databaseEdit->setText(s_server->database());
    EXPECT_EQ(test(), ok);
    s_server->stop();
    EXPECT_TRUE(test().startsWith(failed + "SQL Server: no server answers"));
    // The other tests of the program need a server again.
    s_server = std::make_unique<test::StandinServer>();
}

TEST_F(ConnectionWindowFlowTest, StartUpShowsTheStoredValuesWhileTheAdvanceLogsIn)
{
    keepWindowsAnswering();
    storeWorkingSetup();
    s_server->control("delay_login 700");
    ConnectionWindow window(m_prompter);
    // What the screen shows while the logins wait.
    bool shown = false, hourglass = false, tableWindowShown = true;
    QString folder;
    QTimer::singleShot(100, &window, [&] {
        shown = window.isVisible();
        hourglass = window.pointer().mousePointer() == MousePointer::Hourglass;
        folder = window.folderEdit->text();
        tableWindowShown = window.tableWindow() && window.tableWindow()->isVisible();
    });
    window.load();
    EXPECT_TRUE(shown);
    EXPECT_TRUE(hourglass);
    EXPECT_EQ(folder, m_tables.path());
    EXPECT_FALSE(tableWindowShown);
    ASSERT_NE(window.tableWindow(), nullptr);
    EXPECT_TRUE(window.tableWindow()->isVisible());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(ConnectionWindowFlowTest, ClosingDuringTestConnectionEndsItWithoutAMessage)
{
    keepWindowsAnswering();
    test::SilentListener silent;
    ConnectionWindow window(m_prompter);
    window.serverEdit->setText("127.0.0.1");
    window.portEdit->setText(QString::number(silent.port()));
    window.userEdit->setText(s_server->user());
    window.show();
    int unloaded = 0;
    QObject::connect(&window, &ConnectionWindow::unloaded, [&] { ++unloaded; });
    std::chrono::steady_clock::time_point closed;
    QTimer::singleShot(200, &window, [&] {
        closed = std::chrono::steady_clock::now();
        window.close();
    });
    window.testSqlConnectionButton->click();
    EXPECT_LT(std::chrono::steady_clock::now() - closed, std::chrono::seconds(2));
    EXPECT_EQ(unloaded, 1);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(m_prompter.prompts.empty());
}
