#include "ui/tables/TableWindow.h"
#include "StandinServer.h"
#include "TablesTestSupport.h"
#include "core/AppInfo.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"
#include "ui/common/WindowPointer.h"
#include "ui/connection/ConnectionWindow.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace tabulex;
using namespace tabulex::test;
using Kind = ScriptedPrompter::Kind;

namespace {

// A scripted prompter that also runs a check whenever something is asked or reported.
class WatchingPrompter : public ScriptedPrompter {
public:
    std::function<void()> onPrompt;
    QString inputBox(const QString& p, const QString& t, const QString& d) override
    {
        onPrompt();
        return ScriptedPrompter::inputBox(p, t, d);
    }
    void errorReport(const QString& text) override
    {
        onPrompt();
        ScriptedPrompter::errorReport(text);
    }
};

QRect rectIn(QWidget* w, QWidget* window) { return QRect(w->mapTo(window, QPoint()), w->size()); }

// The table window opened through "Next >" with a stand-in and a Paradox folder.
class TableWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<StandinServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }
    void SetUp() override
    {
        QFile::remove(Settings::filePath());
        s_server->reset();
        m_prompter.onPrompt = [] {};
        for (const char* t : {"Orders", "customers", "Zeta"})
            s_server->execute(QString("CREATE TABLE [%1] (id int)").arg(t));
        for (const char* f : {"Orders.db", "PARTS.DB", "sub/Orders.db"})
            m_folder.touch(f);
        m_connectionWindow = std::make_unique<ConnectionWindow>(m_prompter);
        m_connectionWindow->folderEdit->setText(m_folder.path());
        m_connectionWindow->serverEdit->setText("127.0.0.1");
        m_connectionWindow->portEdit->setText(QString::number(s_server->port()));
        m_connectionWindow->userEdit->setText(s_server->user());
        m_connectionWindow->passwordEdit->setText(s_server->password());
        m_connectionWindow->databaseEdit->setText(s_server->database());
    }
    TableWindow& next()
    {
        m_connectionWindow->onNext();
        TableWindow* window = m_connectionWindow->tableWindow();
        EXPECT_NE(window, nullptr);
        return *window;
    }

    static std::unique_ptr<StandinServer> s_server;
    WatchingPrompter m_prompter;
    ParadoxFolder m_folder;
    std::unique_ptr<ConnectionWindow> m_connectionWindow;
};

std::unique_ptr<StandinServer> TableWindowTest::s_server;

} // namespace

TEST_F(TableWindowTest, ControlsStandInTwoFramesSideBySide)
{
    TableWindow& window = next();
    struct Row {
        QAbstractButton* control;
        const char* caption;
        QGroupBox* frame;
    };
    const Row rows[] = {
        {window.selectAllSqlTablesButton, "Select All", window.sqlFrame},
        {window.deselectAllSqlTablesButton, "Deselect All", window.sqlFrame},
        {window.sendToParadoxButton, "Send Table/s To Paradox", window.sqlFrame},
        {window.customizeToParadoxCheck, "Send with data type customization", window.sqlFrame},
        {window.deleteSqlTablesButton, "Delete Table/s", window.sqlFrame},
        {window.renameSqlTableButton, "Rename Table", window.sqlFrame},
        {window.selectAllParadoxTablesButton, "Select All", window.paradoxFrame},
        {window.deselectAllParadoxTablesButton, "Deselect All", window.paradoxFrame},
        {window.sendToSqlServerButton, "Send Table/s To SQL Server", window.paradoxFrame},
        {window.customizeToSqlServerCheck, "Send with data type customization",
         window.paradoxFrame},
        {window.deleteParadoxTablesButton, "Delete Table/s", window.paradoxFrame},
        {window.renameParadoxTableButton, "Rename Table", window.paradoxFrame},
        {window.backButton, "< Back", nullptr},
        {window.refreshButton, "Refresh", nullptr},
        {window.helpButton, "Help", nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.caption);
        EXPECT_EQ(QString(r.control->text()).remove(u'&'), r.caption);
        if (r.frame) {
            EXPECT_TRUE(r.frame->isAncestorOf(r.control));
        }
        // Nothing clipped: every caption fits its control.
        EXPECT_GE(r.control->width(), r.control->sizeHint().width());
    }
    EXPECT_EQ(QString(window.sqlFrame->title()).remove(u'&'), "MS SQL Server Tables");
    EXPECT_EQ(QString(window.paradoxFrame->title()).remove(u'&'), "Paradox Tables");
    EXPECT_EQ(window.windowTitle(),
              "Tabulex - tabulex on 127.0.0.1 / " + m_connectionWindow->folderEdit->text());
    EXPECT_EQ(window.sqlTableList->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(window.progressBar->format(), "Progress Bar");
    EXPECT_EQ(window.progressBar->value(), 0);

    const QRect f1 = rectIn(window.sqlFrame, &window), f2 = rectIn(window.paradoxFrame, &window);
    const QRect bar = rectIn(window.progressBar, &window);
    const QRect back = rectIn(window.backButton, &window);
    const QRect help = rectIn(window.helpButton, &window);
    EXPECT_EQ(f1.size(), f2.size());
    EXPECT_EQ(f1.top(), f2.top());
    EXPECT_LT(f1.right(), f2.left());
    EXPECT_GT(bar.top(), f1.bottom());
    EXPECT_LE(bar.left(), f1.left());
    // The bar and its Stop button beside it span the width.
    const QRect stop = rectIn(window.stopButton, &window);
    EXPECT_LT(bar.right(), stop.left());
    EXPECT_EQ(bar.top(), stop.top());
    EXPECT_GE(stop.right(), f2.right());
    EXPECT_FALSE(window.stopButton->isEnabled());
    EXPECT_GT(back.top(), bar.bottom());
    EXPECT_EQ(back.top(), help.top());
    EXPECT_EQ(back.width(), help.width());
    EXPECT_LT(back.right(), help.left());
    // Inside each frame, top to bottom: list, select buttons, send, box, delete, rename.
    for (auto side :
         {std::vector<QWidget*>{window.sqlTableList, window.selectAllSqlTablesButton,
                                window.sendToParadoxButton, window.customizeToParadoxCheck,
                                window.deleteSqlTablesButton, window.renameSqlTableButton},
          std::vector<QWidget*>{window.paradoxTableList, window.selectAllParadoxTablesButton,
                                window.sendToSqlServerButton, window.customizeToSqlServerCheck,
                                window.deleteParadoxTablesButton, window.renameParadoxTableButton}})
        for (size_t i = 1; i < side.size(); ++i)
            EXPECT_GT(rectIn(side[i], &window).top(), rectIn(side[i - 1], &window).bottom());
    // The window ends a margin below "< Back".
    EXPECT_GT(window.height(), back.bottom());
    EXPECT_LE(window.height(), back.bottom() + 1 + 2 * window.layout()->contentsMargins().bottom());
}

TEST_F(TableWindowTest, CheckBoxesRoundTripThroughTheSettings)
{
    struct Row {
        const char* stored1;
        const char* stored2;
        bool ticked1, ticked2;
    };
    for (const Row& r : {Row{"1", "0", true, false}, Row{"0", "yes", false, true}}) {
        Settings::write(keys::CustomizeToParadox, r.stored1);
        Settings::write(keys::CustomizeToSqlServer, r.stored2);
        TableWindow& window = next();
        EXPECT_EQ(window.customizeToParadoxCheck->isChecked(), r.ticked1);
        EXPECT_EQ(window.customizeToSqlServerCheck->isChecked(), r.ticked2);
        window.backButton->click();
    }
    EXPECT_EQ(Settings::read(keys::CustomizeToSqlServer), "1"); // written back by the box
    TableWindow& window = *m_connectionWindow->tableWindow();
    window.customizeToParadoxCheck->click();
    EXPECT_EQ(Settings::read(keys::CustomizeToParadox), "1");
    window.customizeToSqlServerCheck->click();
    EXPECT_EQ(Settings::read(keys::CustomizeToSqlServer), "0");
}

TEST_F(TableWindowTest, SelectAllDeselectAllBackAndNextAgain)
{
    TableWindow& window = next();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(m_connectionWindow->isVisible());
    EXPECT_FALSE(window.customizeToParadoxCheck->isChecked()); // a fresh store
    EXPECT_FALSE(window.customizeToSqlServerCheck->isChecked());
    EXPECT_EQ(m_connectionWindow->pointer().mousePointer(), MousePointer::Default);
    EXPECT_TRUE(m_connectionWindow->nextButton->isEnabled() && window.sqlTableList->isEnabled());
    window.sqlTableList->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    window.selectAllSqlTablesButton->click();
    EXPECT_EQ(window.sqlTableList->selectedItems().size(), 3);
    window.deselectAllSqlTablesButton->click();
    EXPECT_TRUE(window.sqlTableList->selectedItems().isEmpty());
    EXPECT_EQ(window.sqlTables().currentIndex(), 1);
    window.selectAllParadoxTablesButton->click();
    EXPECT_EQ(window.paradoxTableList->selectedItems().size(), 3);

    window.backButton->click();
    EXPECT_TRUE(m_connectionWindow->isVisible());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.paradoxTableList->selectedItems().size(), 3); // kept while hidden
    s_server->execute("CREATE TABLE [Added] (id int)");
    m_folder.touch("NEW.db");
    EXPECT_EQ(&next(), &window);
    EXPECT_EQ(itemsOf(window.sqlTables()), (QStringList{"Added", "customers", "Orders", "Zeta"}));
    EXPECT_EQ(itemsOf(window.paradoxTables()),
              (QStringList{"NEW", "ORDERS", "PARTS", "sub/ORDERS"}));
    EXPECT_TRUE(window.paradoxTableList->selectedItems().isEmpty());
    EXPECT_TRUE(m_prompter.prompts.empty());
}

// Every button, check box, frame and labelled box of both windows has an access key of its
// own; a box's key is its label's.
TEST_F(TableWindowTest, AccessKeysAreUniquePerWindow)
{
    TableWindow& window = next();
    for (QWidget* w : std::initializer_list<QWidget*>{&window, m_connectionWindow.get()}) {
        SCOPED_TRACE(w->metaObject()->className());
        QStringList keys;
        const auto take = [&](const QString& text) {
            const qsizetype at = text.indexOf(u'&');
            EXPECT_TRUE(at >= 0 && at + 1 < text.size()) << text.toStdString();
            if (at >= 0 && at + 1 < text.size())
                keys << text.mid(at + 1, 1).toLower();
        };
        for (QAbstractButton* b : w->findChildren<QAbstractButton*>())
            take(b->text());
        for (QGroupBox* g : w->findChildren<QGroupBox*>())
            if (g->title().contains(u'&'))
                take(g->title());
        for (QLabel* l : w->findChildren<QLabel*>()) {
            if (!l->buddy())
                continue;
            take(l->text());
        }
        for (QLineEdit* box : w->findChildren<QLineEdit*>()) {
            bool labelled = false;
            for (QLabel* l : w->findChildren<QLabel*>())
                labelled |= l->buddy() == box;
            EXPECT_TRUE(labelled) << box->objectName().toStdString();
        }
        EXPECT_EQ(QSet<QString>(keys.begin(), keys.end()).size(), keys.size())
            << keys.join(' ').toStdString();
    }
}

TEST_F(TableWindowTest, HelpAndClosing)
{
    TableWindow& window = next();
    window.helpButton->click();
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].text,
              "Questions? Please contact Team Quorvane at https://www.quorvane.com/contact");
    EXPECT_EQ(m_prompter.prompts[0].title, appTitle());
    int unloaded = 0;
    QObject::connect(m_connectionWindow.get(), &ConnectionWindow::unloaded, [&] { ++unloaded; });
    EXPECT_TRUE(window.close());
    EXPECT_EQ(unloaded, 1);
}

TEST_F(TableWindowTest, CommandsWorkOnTheListsAndRunOneAtATime)
{
    TableWindow& window = next();
    const QList<QWidget*> controls = window.findChildren<QWidget*>();
    int checks = 0;
    m_prompter.onPrompt = [&] {
        ++checks;
        for (QWidget* w : std::initializer_list<QWidget*>{
                 window.sqlTableList, window.paradoxTableList, window.customizeToParadoxCheck,
                 window.customizeToSqlServerCheck})
            EXPECT_FALSE(w->isEnabled());
        for (QPushButton* b : window.findChildren<QPushButton*>())
            EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    };
    setUpList(window.sqlTables(), itemsOf(window.sqlTables()), {"Orders"});
    m_prompter.inputAnswers = {"Zeta", "Sales"}; // Zeta exists: refused and reported
    window.renameSqlTableButton->click();
    EXPECT_EQ(m_prompter.errorReports().size(), 1u);
    window.renameSqlTableButton->click();
    EXPECT_EQ(checks, 3);
    m_prompter.onPrompt = [] {};
    for (QWidget* w : controls)
        EXPECT_TRUE(w->isEnabled() || w == window.stopButton);
    EXPECT_EQ(itemsOf(window.sqlTables()), (QStringList{"customers", "Sales", "Zeta"}));

    // A delete asks first, No being the default; No deletes nothing.
    setUpList(window.sqlTables(), itemsOf(window.sqlTables()), {"customers", "Zeta"});
    m_prompter.clear();
    m_prompter.questionAnswers = {false, true};
    window.deleteSqlTablesButton->click();
    EXPECT_EQ(itemsOf(window.sqlTables()), (QStringList{"customers", "Sales", "Zeta"}));
    window.deleteSqlTablesButton->click();
    EXPECT_EQ(itemsOf(window.sqlTables()), QStringList{"Sales"});
    const auto asked = m_prompter.of(Kind::Question);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0].text,
              "Delete 2 tables from SQL Server: customers, Zeta? This cannot be undone.");
    EXPECT_EQ(asked[0].defaultText, "No");

    // The Paradox commands use the folder as it stands when they run.
    ParadoxFolder other;
    other.touch("PARTS.DB");
    other.touch("Orders.db");
    m_connectionWindow->folderEdit->setText(other.path());
    setUpList(window.paradoxTables(), itemsOf(window.paradoxTables()), {"PARTS"});
    m_prompter.inputAnswers = {"Parts2019"};
    window.renameParadoxTableButton->click();
    EXPECT_EQ(other.files(), (QStringList{"Orders.db", "Parts2019.DB"}));
    setUpList(window.paradoxTables(), itemsOf(window.paradoxTables()), {"ORDERS"});
    m_prompter.questionAnswers = {true};
    window.deleteParadoxTablesButton->click();
    EXPECT_EQ(m_prompter.of(Kind::Question).back().text,
              "Delete 1 table from the Paradox folder: ORDERS? This cannot be undone.");
    EXPECT_EQ(other.files(), QStringList{"Parts2019.DB"});
    EXPECT_EQ(itemsOf(window.paradoxTables()), (QStringList{"PARTS2019", "sub/ORDERS"}));
    EXPECT_EQ(m_folder.files(), (QStringList{"Orders.db", "PARTS.DB"}));
    EXPECT_EQ(window.pointer().mousePointer(), MousePointer::Default);
    EXPECT_TRUE(m_prompter.errorReports().empty());
}
