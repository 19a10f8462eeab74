// "Next >", the automatic advance at start-up and "Help" of the connection window.
#include "FreePort.h"
#include "ScriptedPrompter.h"
#include "StandinServer.h"
#include "core/AppInfo.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"
#include "ui/common/WindowPointer.h"
#include "ui/connection/Form1.h"
#include "ui/tables/Form2.h"
#include "host/TableList.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace tabulex;
using Kind = test::ScriptedPrompter::Kind;

namespace {

class Form1FlowTest : public ::testing::Test {
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

std::unique_ptr<test::StandinServer> Form1FlowTest::s_server;

QStringList items(const TableList& list)
{
    QStringList out;
    for (int i = 0; i < list.count(); ++i)
        out << list.item(i);
    return out;
}

} // namespace

TEST_F(Form1FlowTest, StartUpWithWorkingStoredValuesOpensTheTableWindow)
{
    storeWorkingSetup();
    Form1 form(m_prompter);
    form.Form_Load();
    ASSERT_NE(form.tableWindow(), nullptr);
    EXPECT_TRUE(form.tableWindow()->isVisible());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(items(form.tableWindow()->sqlTables()), QStringList{"Orders"});
    EXPECT_EQ(items(form.tableWindow()->paradoxTables()), QStringList{"PARTS"});
    EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(Form1FlowTest, StartUpThatCannotAdvanceShowsTheConnectionWindowQuietly)
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
        Form1 form(m_prompter);
        form.Form_Load();
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.tableWindow(), nullptr);
        EXPECT_EQ(logins(), before); // with a valid password: the login was not even tried
        const auto reports = m_prompter.errorReports();
        EXPECT_EQ(m_prompter.prompts.size(), reports.size());
        EXPECT_EQ(reports.size(), r.report.isEmpty() ? 0u : 1u);
        if (!r.report.isEmpty() && !reports.empty()) {
            EXPECT_TRUE(reports[0].contains(r.report)) << reports[0].toStdString();
        }
    }
}

TEST_F(Form1FlowTest, NextWithABadFolderOrLoginDoesNothingVisible)
{
    const int deadPort = test::freePort();
    struct Row {
        const char* what;
        QString folder, port, password;
    };
    const Row rows[] = {
        {"empty folder text", "", QString::number(s_server->port()), s_server->password()},
        {"folder without tables", m_empty.path(), QString::number(s_server->port()),
         s_server->password()},
        {"wrong password", m_tables.path(), QString::number(s_server->port()), "wrong"},
        {"no server", m_tables.path(), QString::number(deadPort), s_server->password()},
    };
    Form1 form(m_prompter);
    form.Form_Load();
    form.Text2->setText("127.0.0.1");
    form.Text3->setText(s_server->user());
    form.Text5->setText(s_server->database());
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        form.Text1->setText(r.folder);
        form.Text6->setText(r.port);
        form.Text4->setText(r.password);
        const int before = logins();
        form.PushButton2->click();
        EXPECT_EQ(form.tableWindow(), nullptr);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(logins(), before); // no login succeeded; and none tried for a bad folder
        EXPECT_EQ(form.pointer().mousePointer(), MousePointer::Default);
        EXPECT_TRUE(form.PushButton2->isEnabled());
    }
    EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(Form1FlowTest, HelpExplainsAndOffersThePicture)
{
    Form1 form(m_prompter);
    form.Form_Load();
    m_prompter.questionAnswers = {false, true};
    form.PushButton1->click();
    EXPECT_TRUE(m_prompter.openedUrls.empty());
    form.PushButton1->click();
    ASSERT_EQ(m_prompter.openedUrls.size(), 1u);
    EXPECT_EQ(m_prompter.openedUrls[0],
              QUrl::fromLocalFile(applicationFolder() + "/local-connection-example.jpg"));
    ASSERT_EQ(m_prompter.prompts.size(), 5u);
    const QString help =
        "If you cannot establish connection to your MS SQL Server database with this program, "
        "please go to: \r\rhttps://www.sqlmanager.net/products/mssql/manager\r\rDownload and "
        "install the EMS SQL Manager 2005 Lite for SQL Server. Try to connect to the same "
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

TEST_F(Form1FlowTest, TestConnectionTellsWhetherTheLoginWorks)
{
    Form1 form1(m_prompter);
    form1.Text2->setText("127.0.0.1");
    form1.Text6->setText(QString::number(s_server->port()));
    form1.Text3->setText(s_server->user());
    form1.Text4->setText(s_server->password());
    form1.Text5->setText(s_server->database());
    const QString ok = "Connection successful.";
    const QString failed = "Could not connect. Please check with your administrator.";
    auto test = [&] {
        m_prompter.clear();
        form1.PushButton6_Click();
        const auto messages = m_prompter.of(Kind::Message);
        EXPECT_TRUE(m_prompter.errorReports().empty());
        EXPECT_EQ(form1.pointer().mousePointer(), MousePointer::Default);
        return messages.size() == 1 ? messages[0].text : QString("(%1 messages)").arg(messages.size());
    };
    EXPECT_EQ(test(), ok);
    EXPECT_EQ(m_prompter.of(Kind::Message)[0].title, appTitle());
    form1.Text4->setText("wrong");
    EXPECT_EQ(test(), failed);
    form1.Text4->setText(s_server->password());
    form1.Text5->setText("NoSuchDatabase");
    EXPECT_EQ(test(), failed);
    form1.Text5->setText(s_server->database());
    EXPECT_EQ(test(), ok);
    s_server->stop();
    EXPECT_EQ(test(), failed);
    // The other tests of the program need a server again.
    s_server = std::make_unique<test::StandinServer>();
}
