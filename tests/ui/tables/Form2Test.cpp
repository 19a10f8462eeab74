#include "ui/tables/Form2.h"
#include "StandinServer.h"
#include "TablesTestSupport.h"
#include "core/AppInfo.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"
#include "ui/common/WindowPointer.h"
#include "ui/connection/Form1.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

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
class Form2Test : public ::testing::Test {
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
        m_form1 = std::make_unique<Form1>(m_prompter);
        m_form1->Text1->setText(m_folder.path());
        m_form1->Text2->setText("127.0.0.1");
        m_form1->Text6->setText(QString::number(s_server->port()));
        m_form1->Text3->setText(s_server->user());
        m_form1->Text4->setText(s_server->password());
        m_form1->Text5->setText(s_server->database());
    }
    Form2& next()
    {
        m_form1->PushButton2_Click();
        Form2* form2 = m_form1->tableWindow();
        EXPECT_NE(form2, nullptr);
        return *form2;
    }

    static std::unique_ptr<StandinServer> s_server;
    WatchingPrompter m_prompter;
    ParadoxFolder m_folder;
    std::unique_ptr<Form1> m_form1;
};

std::unique_ptr<StandinServer> Form2Test::s_server;

} // namespace

TEST_F(Form2Test, ControlsStandInTwoFramesSideBySide)
{
    Form2& form2 = next();
    struct Row {
        QAbstractButton* control;
        const char* caption;
        QGroupBox* frame;
    };
    const Row rows[] = {
        {form2.PushButton10, "Select All", form2.Frame1},
        {form2.PushButton11, "Deselect All", form2.Frame1},
        {form2.PushButton3, "Send Table/s To Paradox", form2.Frame1},
        {form2.Check15, "Send with data type customization", form2.Frame1},
        {form2.PushButton1, "Delete Table/s", form2.Frame1},
        {form2.PushButton6, "Rename Table", form2.Frame1},
        {form2.PushButton8, "Select All", form2.Frame2},
        {form2.PushButton9, "Deselect All", form2.Frame2},
        {form2.PushButton4, "Send Table/s To SQL Server", form2.Frame2},
        {form2.Check16, "Send with data type customization", form2.Frame2},
        {form2.PushButton5, "Delete Table/s", form2.Frame2},
        {form2.PushButton7, "Rename Table", form2.Frame2},
        {form2.PushButton2, "< Back", nullptr},
        {form2.PushButton12, "Help", nullptr},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.caption);
        EXPECT_EQ(r.control->text(), r.caption);
        if (r.frame) {
            EXPECT_TRUE(r.frame->isAncestorOf(r.control));
        }
        // Nothing clipped: every caption fits its control.
        EXPECT_GE(r.control->width(), r.control->sizeHint().width());
    }
    EXPECT_EQ(form2.Frame1->title(), "MS SQL Server Tables");
    EXPECT_EQ(form2.Frame2->title(), "Paradox Tables");
    EXPECT_EQ(form2.windowTitle(), "Tabulex");
    EXPECT_EQ(form2.List1->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(form2.ProgressBar1->format(), "Progress Bar");
    EXPECT_EQ(form2.ProgressBar1->value(), 0);

    const QRect f1 = rectIn(form2.Frame1, &form2), f2 = rectIn(form2.Frame2, &form2);
    const QRect bar = rectIn(form2.ProgressBar1, &form2);
    const QRect back = rectIn(form2.PushButton2, &form2), help = rectIn(form2.PushButton12, &form2);
    EXPECT_EQ(f1.size(), f2.size());
    EXPECT_EQ(f1.top(), f2.top());
    EXPECT_LT(f1.right(), f2.left());
    EXPECT_GT(bar.top(), f1.bottom());
    EXPECT_LE(bar.left(), f1.left());
    EXPECT_GE(bar.right(), f2.right());
    EXPECT_GT(back.top(), bar.bottom());
    EXPECT_EQ(back.top(), help.top());
    EXPECT_EQ(back.width(), help.width());
    EXPECT_LT(back.right(), help.left());
    // Inside each frame, top to bottom: list, select buttons, send, box, delete, rename.
    for (auto side : {std::vector<QWidget*>{form2.List1, form2.PushButton10, form2.PushButton3,
                                            form2.Check15, form2.PushButton1, form2.PushButton6},
                      std::vector<QWidget*>{form2.List2, form2.PushButton8, form2.PushButton4,
                                            form2.Check16, form2.PushButton5, form2.PushButton7}})
        for (size_t i = 1; i < side.size(); ++i)
            EXPECT_GT(rectIn(side[i], &form2).top(), rectIn(side[i - 1], &form2).bottom());
    // The window ends a margin below "< Back".
    EXPECT_GT(form2.height(), back.bottom());
    EXPECT_LE(form2.height(), back.bottom() + 1 + 2 * form2.layout()->contentsMargins().bottom());
}

TEST_F(Form2Test, CheckBoxesRoundTripThroughTheSettings)
{
    struct Row {
        const char* stored1;
        const char* stored2;
        bool ticked1, ticked2;
    };
    for (const Row& r : {Row{"1", "0", true, false}, Row{"0", "yes", false, true}}) {
        Settings::write(keys::WithDataTypeChange1, r.stored1);
        Settings::write(keys::WithDataTypeChange2, r.stored2);
        Form2& form2 = next();
        EXPECT_EQ(form2.Check15->isChecked(), r.ticked1);
        EXPECT_EQ(form2.Check16->isChecked(), r.ticked2);
        form2.PushButton2->click();
    }
    EXPECT_EQ(Settings::read(keys::WithDataTypeChange2), "1"); // written back by the box
    Form2& form2 = *m_form1->tableWindow();
    form2.Check15->click();
    EXPECT_EQ(Settings::read(keys::WithDataTypeChange1), "1");
    form2.Check16->click();
    EXPECT_EQ(Settings::read(keys::WithDataTypeChange2), "0");
}

TEST_F(Form2Test, SelectAllDeselectAllBackAndNextAgain)
{
    Form2& form2 = next();
    EXPECT_TRUE(form2.isVisible());
    EXPECT_FALSE(m_form1->isVisible());
    EXPECT_FALSE(form2.Check15->isChecked()); // a fresh store
    EXPECT_FALSE(form2.Check16->isChecked());
    EXPECT_EQ(m_form1->pointer().mousePointer(), MousePointer::Default);
    EXPECT_TRUE(m_form1->PushButton2->isEnabled() && form2.List1->isEnabled());
    form2.List1->setCurrentRow(1, QItemSelectionModel::NoUpdate);
    form2.PushButton10->click();
    EXPECT_EQ(form2.List1->selectedItems().size(), 3);
    form2.PushButton11->click();
    EXPECT_TRUE(form2.List1->selectedItems().isEmpty());
    EXPECT_EQ(form2.sqlTables().currentIndex(), 1);
    form2.PushButton8->click();
    EXPECT_EQ(form2.List2->selectedItems().size(), 3);

    form2.PushButton2->click();
    EXPECT_TRUE(m_form1->isVisible());
    EXPECT_FALSE(form2.isVisible());
    EXPECT_EQ(form2.List2->selectedItems().size(), 3); // kept while hidden
    s_server->execute("CREATE TABLE [Added] (id int)");
    m_folder.touch("NEW.db");
    EXPECT_EQ(&next(), &form2);
    EXPECT_EQ(itemsOf(form2.sqlTables()), (QStringList{"Added", "customers", "Orders", "Zeta"}));
    EXPECT_EQ(itemsOf(form2.paradoxTables()), (QStringList{"NEW", "ORDERS", "ORDERS", "PARTS"}));
    EXPECT_TRUE(form2.List2->selectedItems().isEmpty());
    EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(Form2Test, HelpAndClosing)
{
    Form2& form2 = next();
    form2.PushButton12->click();
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].text,
              "Questions? Please contact Team Quorvane at https://www.quorvane.com/contact");
    EXPECT_EQ(m_prompter.prompts[0].title, appTitle());
    int unloaded = 0;
    QObject::connect(m_form1.get(), &Form1::unloaded, [&] { ++unloaded; });
    EXPECT_TRUE(form2.close());
    EXPECT_EQ(unloaded, 1);
}

TEST_F(Form2Test, CommandsWorkOnTheListsAndRunOneAtATime)
{
    Form2& form2 = next();
    const QList<QWidget*> controls = form2.findChildren<QWidget*>();
    int checks = 0;
    m_prompter.onPrompt = [&] {
        ++checks;
        for (QWidget* w :
             {static_cast<QWidget*>(form2.List1), static_cast<QWidget*>(form2.List2),
              static_cast<QWidget*>(form2.Check15), static_cast<QWidget*>(form2.Check16)})
            EXPECT_FALSE(w->isEnabled());
        for (QPushButton* b : form2.findChildren<QPushButton*>())
            EXPECT_FALSE(b->isEnabled()) << b->text().toStdString();
    };
    setUpList(form2.sqlTables(), itemsOf(form2.sqlTables()), {"Orders"});
    m_prompter.inputAnswers = {"Zeta", "Sales"}; // Zeta exists: refused and reported
    form2.PushButton6->click();
    EXPECT_EQ(m_prompter.errorReports().size(), 1u);
    form2.PushButton6->click();
    EXPECT_EQ(checks, 3);
    m_prompter.onPrompt = [] {};
    for (QWidget* w : controls)
        EXPECT_TRUE(w->isEnabled());
    EXPECT_EQ(itemsOf(form2.sqlTables()), (QStringList{"customers", "Sales", "Zeta"}));

    setUpList(form2.sqlTables(), itemsOf(form2.sqlTables()), {"customers", "Zeta"});
    form2.PushButton1->click();
    EXPECT_EQ(itemsOf(form2.sqlTables()), QStringList{"Sales"});

    // The Paradox commands use the folder as it stands when they run.
    ParadoxFolder other;
    other.touch("PARTS.DB");
    other.touch("Orders.db");
    m_form1->Text1->setText(other.path());
    setUpList(form2.paradoxTables(), itemsOf(form2.paradoxTables()), {"PARTS"});
    m_prompter.inputAnswers = {"Parts2019"};
    form2.PushButton7->click();
    EXPECT_EQ(other.files(), (QStringList{"Orders.db", "Parts2019.DB"}));
    setUpList(form2.paradoxTables(), itemsOf(form2.paradoxTables()), {"ORDERS"});
    form2.PushButton5->click();
    EXPECT_EQ(other.files(), QStringList{"Parts2019.DB"});
    EXPECT_EQ(itemsOf(form2.paradoxTables()), (QStringList{"ORDERS", "Parts2019"}));
    EXPECT_EQ(m_folder.files(), (QStringList{"Orders.db", "PARTS.DB"}));
    EXPECT_EQ(form2.pointer().mousePointer(), MousePointer::Default);
    EXPECT_EQ(m_prompter.errorReports().size(), 1u);
}
