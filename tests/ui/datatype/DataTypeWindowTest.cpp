#include "ui/datatype/DataTypeWindow.h"
#include "EveryTypeTable.h"
#include "ScriptedPrompter.h"
#include "StandinServer.h"
#include "TestPaths.h"
#include "connect/ConnectionStrings.h"
#include "core/AppInfo.h"
#include "paradox/Layout.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace tabulex;
using namespace tabulex::test;
using Kind = ScriptedPrompter::Kind;

namespace {

class DataTypeWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<StandinServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }
    void SetUp() override { s_server->reset(); }

    QStringList items(const QListWidget* list) const
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out << list->item(i)->text();
        return out;
    }

    // A window for the request, with the proposals read from the source of its target.
    std::unique_ptr<DataTypeWindow> window(const QString& target, const QString& table,
                                           const QString& head)
    {
        const QString source = target == kParadoxTarget ? s_server->connectionString()
                                                        : paradoxConnectionString(m_folder.path());
        return std::make_unique<DataTypeWindow>(m_prompter,
                                                CustomizeRequest{target, table, head, source});
    }

    void open(const QString& target, const QString& table, const QString& head)
    {
        m_window = window(target, table, head);
        m_window->load();
    }

    // A Paradox table with one field of every type, and one row or none.
    void writeParadoxTable(const QString& name, bool withRow)
    {
        writeEveryTypeTable(m_folder.path(), name,
                            withRow ? std::vector<Row>{everyTypeRow()} : std::vector<Row>{});
    }

    static std::unique_ptr<StandinServer> s_server;
    ScriptedPrompter m_prompter;
    QTemporaryDir m_folder;
    std::unique_ptr<DataTypeWindow> m_window;
};

std::unique_ptr<StandinServer> DataTypeWindowTest::s_server;

} // namespace

TEST_F(DataTypeWindowTest, ProposesParadoxTypesForEverySqlServerType)
{
    s_server->execute(
        "CREATE TABLE [All]([a] NVARCHAR(10), [b] VARCHAR(10), [c] NTEXT, [d] CHAR(5), "
        "[e] NCHAR(5), [f] BIT, [g] MONEY, [h] REAL, [i] DECIMAL(10,2), [j] FLOAT, [k] SMALLINT, "
        "[l] TINYINT, [m] BIGINT, [n] INT, [o] DATE, [p] DATETIME, [q] TIME, [r] VARBINARY(10), "
        "[s] UNIQUEIDENTIFIER, [t] VARCHAR(MAX))");
    open("Paradox", "All", "CREATE TABLE `All`(");
    EXPECT_TRUE(m_prompter.errorReports().empty());
    EXPECT_EQ(items(m_window->fieldList),
              QString("a b c d e f g h i j k l m n o p q r s t").split(' '));
    // Money arrives from SQL Server as a numeric, not as an ADO currency.
    EXPECT_EQ(items(m_window->typeList),
              QString("MEMO MEMO MEMO MEMO MEMO LOGICAL NUMBER NUMBER NUMBER NUMBER SHORT LONG "
                      "NUMBER LONG TIMESTAMP TIMESTAMP TIMESTAMP OLEOBJECT MEMO MEMO")
                  .split(' '));
    EXPECT_TRUE(m_window->typeEdit->text().isEmpty());
    // Only the first row is asked for.
    EXPECT_TRUE(s_server->statementLog().contains("SELECT top 1 * FROM [All]"));
}

TEST_F(DataTypeWindowTest, ProposesSqlServerTypesFromTheFirstRow)
{
    writeParadoxTable("FULL", true);
    writeParadoxTable("EMPTY", false);
    open("MSSQL", "FULL", "CREATE TABLE [FULL](");
    EXPECT_TRUE(m_prompter.errorReports().empty());
    EXPECT_EQ(items(m_window->typeList),
              QStringList({"VARCHAR(20)", "VARCHAR(255)", "VARCHAR(255)", "FLOAT", "FLOAT",
                           "SMALLINT", "INT", "DECIMAL(32,2)", "DATE", "TIME(3)", "DATETIME2(3)",
                           "BIT", "TEXT", "VARBINARY(4)", "VARBINARY(MAX)", "VARBINARY(MAX)",
                           "VARBINARY(MAX)", "VARBINARY(MAX)", "INT"}));
    open("MSSQL", "EMPTY", "CREATE TABLE [EMPTY](");
    EXPECT_EQ(items(m_window->typeList),
              QStringList({"VARCHAR(255)", "VARCHAR(255)", "VARCHAR(255)", "FLOAT", "FLOAT",
                           "SMALLINT", "INT", "DECIMAL(32,2)", "DATE", "TIME(3)", "DATETIME2(3)",
                           "BIT", "TEXT", "VARBINARY(4)", "VARBINARY(MAX)", "VARBINARY(MAX)",
                           "VARBINARY(MAX)", "VARBINARY(MAX)", "INT"}));
}

TEST_F(DataTypeWindowTest, RowsGoTogetherAndChangeAcceptsOnlyValidTypes)
{
    writeParadoxTable("FULL", true);
    open("MSSQL", "FULL", "CREATE TABLE [FULL](");
    m_window->fieldList->setCurrentRow(3);
    m_window->onFieldClicked();
    EXPECT_EQ(m_window->typeList->currentRow(), 3);
    EXPECT_EQ(m_window->typeEdit->text(), "FLOAT");
    m_window->typeEdit->setText("decimal(10, 2)");
    m_window->onChange();
    EXPECT_EQ(m_window->typeList->item(3)->text(), "decimal(10, 2)");
    EXPECT_TRUE(m_window->changed());

    m_window->typeList->setCurrentRow(5);
    m_window->onTypeClicked();
    EXPECT_EQ(m_window->fieldList->currentRow(), 5);
    m_window->typeEdit->setText("NUMBER");
    m_window->onChange();
    ASSERT_EQ(m_prompter.of(Kind::Message).size(), 1u);
    // The refusal names what is allowed, and nothing that the server would refuse.
    const QStringList refusal = m_prompter.of(Kind::Message)[0].text.split(QStringLiteral("\r\n"));
    EXPECT_EQ(refusal[0], "Invalid datatype.");
    EXPECT_EQ(refusal[1], "\"NUMBER\" is not a type name here.");
    EXPECT_TRUE(m_prompter.of(Kind::Message)[0].text.contains("NVARCHAR[(1-4000|MAX)]"));
    EXPECT_EQ(m_window->typeList->item(5)->text(), "SMALLINT");
    EXPECT_EQ(m_window->typeEdit->text(), "NUMBER");
    m_window->typeEdit->setText("var");
    m_window->onChange();
    EXPECT_EQ(m_prompter.of(Kind::Message).size(), 2u);
    EXPECT_EQ(m_window->typeList->item(5)->text(), "SMALLINT");
}

// Towards Paradox the Paradox names it proposes are taken; under the faithful mapping its
// own words are checked too, the key row is not.
TEST_F(DataTypeWindowTest, ChangeTakesTheParadoxNamesItProposes)
{
    CustomizeRequest request{"Paradox", "T", "CREATE TABLE `T`(", {}};
    request.fieldNames = {"Id", "Name"};
    request.proposedTypes = {"AUTOINCREMENT", "ALPHA(30)"};
    request.key = {"Id"};
    m_window = std::make_unique<DataTypeWindow>(m_prompter, request);
    m_window->load();
    m_window->typeList->setCurrentRow(1);
    m_window->onTypeClicked();
    for (const char* type : {"LONG", "ALPHA", "alpha(40)"}) {
        m_window->typeEdit->setText(type);
        m_window->onChange();
        EXPECT_EQ(m_window->typeList->item(1)->text(), type);
    }
    m_window->typeEdit->setText("ALPHA(300)");
    m_window->onChange();
    ASSERT_EQ(m_prompter.of(Kind::Message).size(), 1u);
    EXPECT_TRUE(m_prompter.of(Kind::Message)[0].text.startsWith(
        "Invalid datatype.\r\nALPHA takes a size from 1 to 255."));
    EXPECT_TRUE(m_prompter.of(Kind::Message)[0].text.contains("BYTES(1-255)"));
    m_window->typeList->setCurrentRow(2);
    m_window->onTypeClicked();
    m_window->typeEdit->setText("(Name)");
    m_window->onChange();
    EXPECT_EQ(m_window->typeList->item(2)->text(), "(Name)");
    EXPECT_EQ(m_prompter.of(Kind::Message).size(), 1u);
}

// Each key moves one list; the other list and the Change box follow, and Change writes into
// the row shown.
TEST_F(DataTypeWindowTest, KeyboardSelectionKeepsTheListsAndTheChangeBoxTogether)
{
    writeParadoxTable("FULL", true);
    struct Case {
        bool inFields;
        std::vector<Qt::Key> keys;
        int row;
    };
    for (const Case& c :
         {Case{true, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}, 5},
          Case{false, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up}, 3}, Case{true, {Qt::Key_End}, 18},
          Case{false, {Qt::Key_End, Qt::Key_Home}, 0}, Case{true, {Qt::Key_PageDown}, -1},
          Case{true, {Qt::Key_T}, 4}}) {
        open("MSSQL", "FULL", "CREATE TABLE [FULL](");
        m_window->show();
        QListWidget* list = c.inFields ? m_window->fieldList : m_window->typeList;
        list->setFocus();
        list->setCurrentRow(2);
        for (Qt::Key key : c.keys)
            QTest::keyClick(list, key);
        const int row = c.row >= 0 ? c.row : list->currentRow();
        ASSERT_NE(row, 2) << c.keys.front();
        EXPECT_EQ(m_window->fieldList->currentRow(), row) << c.keys.front();
        EXPECT_EQ(m_window->typeList->currentRow(), row) << c.keys.front();
        EXPECT_EQ(m_window->typeEdit->text(), m_window->typeList->item(row)->text());
        m_window->typeEdit->setText("int");
        m_window->onChange();
        EXPECT_EQ(items(m_window->typeList).indexOf("int"), row) << c.keys.front();
        m_window->hide();
    }
}

TEST_F(DataTypeWindowTest, LeavingAfterAChangeAsksFirst)
{
    writeParadoxTable("FULL", true);
    open("MSSQL", "FULL", "CREATE TABLE [FULL](");
    // Without a change the window closes at once.
    EXPECT_TRUE(m_window->unload());
    EXPECT_TRUE(m_prompter.of(Kind::Question).empty());

    open("MSSQL", "FULL", "CREATE TABLE [FULL](");
    m_window->fieldList->setCurrentRow(0);
    m_window->onFieldClicked();
    m_window->typeEdit->setText("nvarchar (50)");
    m_window->onChange();
    m_prompter.questionAnswers = {false, true};
    m_window->onCancel();
    EXPECT_FALSE(m_window->isUnloaded());
    EXPECT_EQ(m_window->typeList->item(0)->text(), "nvarchar (50)");
    m_window->onCancel();
    EXPECT_TRUE(m_window->isUnloaded());
    const auto questions = m_prompter.of(Kind::Question);
    ASSERT_EQ(questions.size(), 2u);
    EXPECT_EQ(questions[0].text,
              "Data type has been change.\r\nDo you still want to exit without changes?");
    EXPECT_FALSE(m_window->outcome());
}

TEST_F(DataTypeWindowTest, OkCompletesTheStatementWithoutAsking)
{
    writeParadoxTable("FULL", true);
    open("MSSQL", "FULL", "CREATE TABLE [FULL](");
    m_window->fieldList->setCurrentRow(0);
    m_window->onFieldClicked();
    m_window->typeEdit->setText("nvarchar (50)");
    m_window->onChange();
    EXPECT_FALSE(m_window->outcome());
    m_window->onOk();
    EXPECT_TRUE(m_window->isUnloaded());
    EXPECT_TRUE(m_prompter.of(Kind::Question).empty());
    ASSERT_TRUE(m_window->outcome());
    const CustomizeResult& applied = *m_window->outcome();
    EXPECT_TRUE(applied.statement.startsWith(
        "CREATE TABLE [FULL](\"Name\" nvarchar (50),\"Empty\" VARCHAR(255),"));
    EXPECT_TRUE(applied.statement.endsWith(
        "\"Code\" VARBINARY(4),\"Photo\" VARBINARY(MAX),\"Picture\" VARBINARY(MAX),"
        "\"Styled\" VARBINARY(MAX),\"Object\" VARBINARY(MAX),\"Seq\" INT)"));
    ASSERT_EQ(applied.columnNames.size(), 19u);
    ASSERT_EQ(applied.columnTypes.size(), 19u);
    EXPECT_EQ(applied.columnNames[14], "Photo");
    EXPECT_EQ(applied.columnTypes[0], "nvarchar (50)");
}

TEST_F(DataTypeWindowTest, UnderTheFaithfulMappingItShowsItsTypesAndTheKeyForTheUserToChange)
{
    CustomizeRequest request{"MSSQL", "T", "CREATE TABLE [T](", {}};
    request.fieldNames = {"Id", "Name"};
    request.proposedTypes = {"INT IDENTITY(1,1) NOT NULL", "NVARCHAR(30) NOT NULL"};
    request.key = {"Id"};
    m_window = std::make_unique<DataTypeWindow>(m_prompter, request);
    m_window->load();
    EXPECT_EQ(items(m_window->fieldList), QStringList({"Id", "Name", "PRIMARY KEY"}));
    EXPECT_EQ(items(m_window->typeList),
              QStringList({"INT IDENTITY(1,1) NOT NULL", "NVARCHAR(30) NOT NULL", "(Id)"}));
    m_window->fieldList->setCurrentRow(2);
    m_window->onFieldClicked();
    m_window->typeEdit->setText("(Name, Id)");
    m_window->onChange();
    m_window->onOk();
    ASSERT_TRUE(m_window->outcome());
    EXPECT_EQ(m_window->outcome()->statement,
              "CREATE TABLE [T](\"Id\" INT IDENTITY(1,1) NOT NULL,\"Name\" NVARCHAR(30) NOT NULL, "
              "PRIMARY KEY ([Name],[Id]))");
    EXPECT_EQ(m_window->outcome()->key, QStringList({"Name", "Id"}));
    EXPECT_EQ(m_window->outcome()->columnTypes.size(), 2u);
}

// A table whose header names the wrong code page: the preview shows its text as it reads in
// the code page chosen, and OK hands that code page on.
TEST_F(DataTypeWindowTest, ThePreviewShowsTheTextAsItReadsInTheChosenCodePage)
{
    TABULEX_REQUIRE_FIXTURES();
    const QString db = m_folder.path() + "/AREACODES.DB";
    ASSERT_TRUE(QFile::copy(paradoxFixtures() + "/db/AREACODES.DB", db));
    QFile f(db);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(qint64(paradox::layout::kCodePageAt)));
    ASSERT_EQ(f.write("\x52\x03", 2), 2); // 850; the text is 1252's
    f.close();
    open("MSSQL", "AREACODES", "CREATE TABLE [AREACODES](");
    const auto preview = [&] { return items(m_window->previewList).join('\n'); };
    EXPECT_TRUE(preview().contains(QString::fromUtf8("Cities: San JosÚ")))
        << preview().toStdString();
    m_window->codePageBox->setCurrentIndex(m_window->codePageBox->findData(1252));
    EXPECT_TRUE(preview().contains(QString::fromUtf8("Cities: San José")))
        << preview().toStdString();
    QTest::mouseClick(m_window->okButton, Qt::LeftButton);
    ASSERT_TRUE(m_window->outcome());
    EXPECT_EQ(m_window->outcome()->codePage, 1252);

    // Towards Paradox the preview marks what the code page cannot hold.
    s_server->execute("CREATE TABLE [Names]([name] NVARCHAR(20))");
    s_server->execute(QString::fromUtf8("INSERT INTO [Names] VALUES(N'Жуков')"));
    open("Paradox", "Names", "CREATE TABLE `Names`(");
    m_window->codePageBox->setCurrentIndex(m_window->codePageBox->findData(1252));
    EXPECT_EQ(preview(), QString::fromUtf8("name: Жуков  [code page 1252 cannot hold U+0416 'Ж', "
                                           "U+0443 'у', U+043A 'к', U+043E 'о', U+0432 'в']"));
    m_window->codePageBox->setCurrentIndex(m_window->codePageBox->findData(1251));
    EXPECT_EQ(preview(), QString::fromUtf8("name: Жуков"));
}

TEST_F(DataTypeWindowTest, HelpForEachTarget)
{
    open("MSSQL", "NONE", "CREATE TABLE [NONE](");
    // The table is missing: the report, and empty lists.
    EXPECT_EQ(m_prompter.errorReports().size(), 1u);
    EXPECT_EQ(m_window->fieldList->count(), 0);
    m_window->onHelp();
    window("Paradox", "NONE", "CREATE TABLE `NONE`(")->onHelp();
    window("Other", "NONE", "CREATE TABLE [NONE](")->onHelp();
    ASSERT_EQ(m_prompter.openedUrls.size(), 2u);
    EXPECT_EQ(m_prompter.openedUrls[0],
              QUrl::fromLocalFile(applicationFolder() + "/help/sql-server-types.html"));
    EXPECT_EQ(m_prompter.openedUrls[1],
              QUrl::fromLocalFile(applicationFolder() + "/help/paradox-types.html"));
    EXPECT_TRUE(m_prompter.of(Kind::Message).empty());
}
