#include "TransferFixture.h"

#include "TestPaths.h"

#include "connect/ConnectionStrings.h"
#include "paradox/Layout.h"
#include "paradox/TableFiles.h"
#include "paradox/TableReader.h"
#include "paradox/TableWriter.h"
#include "transfer/Statements.h"
#include "ui/datatype/DataTypeWindow.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QtEndian>

using namespace tabulex;
using namespace tabulex::test;

namespace {

using Kind = ScriptedPrompter::Kind;

void makeSqlTable(const QString& name, const QStringList& values)
{
    TransferTest::server->execute("CREATE TABLE " + bracketName(name) + "([v] NVARCHAR(40))");
    for (const QString& v : values)
        TransferTest::server->execute("INSERT INTO " + bracketName(name) + " VALUES(" + "N" +
                                      quotedText(v) + ")");
}

QStringList column(const Rows& rows)
{
    QStringList out;
    for (const auto& r : rows)
        out << r[0].toText();
    return out;
}

// A Paradox table of one Long Integer field holding n.
void writeLongTable(const QString& path, int n)
{
    paradox::TableWriter w(path.toStdString(), {{"n", paradox::FieldType::Long, 0}});
    w.append({paradox::Value(n)});
    w.commit();
}

// Makes the table's header count rows it does not hold.
void setHeaderRecordCount(const QString& path, quint32 count)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(qint64(paradox::layout::kRecordCountAt)));
    const quint32 le = qToLittleEndian(count);
    ASSERT_EQ(f.write(reinterpret_cast<const char*>(&le), sizeof le), qint64(sizeof le));
}

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

TEST_F(TransferTest, LongNamesAreCutToEightCharactersWhenTheUserAgrees)
{
    makeSqlTable("CustomerOrders", {"a", "b"});
    host.prompts.questionAnswers = {true};
    toParadox({"CustomerOrders"});
    const auto questions = host.prompts.of(Kind::Question);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].text, "CUSTOMERORDERS is more than 8 characters. It will be trimmed "
                                 "into CUSTOMER. Continue?");
    EXPECT_EQ(questions[0].title, "Continue?");
    // The file bears the cut name in its own case; the list is refilled.
    EXPECT_TRUE(QFileInfo::exists(folder() + "/Customer.db"));
    EXPECT_EQ(column(paradoxRows("Customer")), QStringList({"a", "b"}));
    EXPECT_EQ(paradoxList.items(), QStringList({"CUSTOMER"}));

    // No skips the table and nothing more is asked.
    host.prompts.clear();
    QFile::remove(folder() + "/Customer.db");
    host.prompts.questionAnswers = {false};
    const TransferSummary s = toParadox({"CustomerOrders"});
    EXPECT_EQ(host.prompts.of(Kind::Question).size(), 1u);
    EXPECT_EQ(s.tablesSkipped, 1);
    EXPECT_FALSE(QFileInfo::exists(folder() + "/Customer.db"));
}

TEST_F(TransferTest, OverwriteIsAskedAndNoKeepsTheOldParadoxTable)
{
    makeSqlTable("Orders", {"old"});
    toParadox({"Orders"});
    ASSERT_EQ(paradoxList.items(), QStringList({"ORDERS"}));
    server->execute("DROP TABLE [Orders]");
    makeSqlTable("Orders", {"new", "newer"});

    host.prompts.questionAnswers = {false};
    toParadox({"Orders"});
    ASSERT_EQ(host.prompts.of(Kind::Question).size(), 1u);
    // The question names the table as the Paradox list spells it.
    EXPECT_EQ(host.prompts.of(Kind::Question)[0].text, "Would you like to overwrite ORDERS?");
    EXPECT_EQ(host.prompts.of(Kind::Question)[0].title, "Overwrite?");
    EXPECT_EQ(column(paradoxRows("Orders")), QStringList({"old"}));

    host.prompts.questionAnswers = {true};
    toParadox({"Orders"});
    EXPECT_TRUE(host.prompts.errorReports().empty());
    EXPECT_EQ(column(paradoxRows("Orders")), QStringList({"new", "newer"}));
    EXPECT_EQ(paradoxList.items(), QStringList({"ORDERS"}));
}

TEST_F(TransferTest, TwoNamesCutToTheSameEightCharactersDoNotReplaceEachOther)
{
    makeSqlTable("CustomerNotes", {"notes"});
    makeSqlTable("CustomerOrders", {"orders"});
    host.prompts.questionAnswers = {true, true};
    const TransferSummary s = toParadox({"CustomerNotes", "CustomerOrders"});
    // The list's last table goes first and keeps its file; the second fails.
    EXPECT_EQ(column(paradoxRows("Customer")), QStringList({"orders"}));
    EXPECT_EQ(s.tablesSent, 1);
    EXPECT_EQ(s.tablesFailed, 1);
    ASSERT_EQ(host.prompts.errorReports().size(), 1u);
    EXPECT_TRUE(host.prompts.errorReports()[0].startsWith(
        "The Paradox table Customer was already written in this run from another table; "
        "CustomerNotes is not sent.\r\nin Verandi2021/08/31.Form2.PushButton3_Click at line "));
}

TEST_F(TransferTest, ExportNeverReplacesATableFileThatIsThere)
{
    makeSqlTable("Orders", {"new"});
    makeSqlTable("Old", {"old"});
    toParadox({"Old"});
    ASSERT_TRUE(QFile::rename(folder() + "/Old.db", folder() + "/ORDERS.DB"));
    const QByteArray before = fileHash(folder() + "/ORDERS.DB");
    paradoxList.clear(); // a list that does not know the file yet
    toParadox({"Orders"});
    ASSERT_EQ(host.prompts.errorReports().size(), 1u);
    EXPECT_TRUE(host.prompts.errorReports()[0].startsWith("Table 'Orders.db' already exists."));
    EXPECT_EQ(fileHash(folder() + "/ORDERS.DB"), before);
}

// The table X.db is the file X.db.db beside the table X; a name that would reach outside the
// folder fails as one table and writes nothing.
TEST_F(TransferTest, ATableNameIsItsFileNameInTheFolderAndNothingElse)
{
    makeSqlTable("X", {"plain"});
    makeSqlTable("X.db", {"dotted"});
    makeSqlTable("../x", {"up"});
    makeSqlTable("a/b", {"down"});
    TransferSummary s = toParadox({"X", "X.db"});
    EXPECT_EQ(s.tablesSent, 2);
    EXPECT_EQ(paradoxList.items(), QStringList({"X", "X.DB"}));
    server->execute("INSERT INTO [X.db] VALUES(N'again')");
    host.prompts.questionAnswers = {true};
    toParadox({"X.db"});
    EXPECT_EQ(host.prompts.of(Kind::Question).size(), 1u);
    EXPECT_EQ(column(paradoxRows("X")), QStringList({"plain"}));
    EXPECT_EQ(column(paradoxRows("X.db")), QStringList({"dotted", "again"}));

    host.prompts.clear();
    s = toParadox({"../x", "a/b"});
    EXPECT_EQ(s.tablesFailed, 2);
    ASSERT_EQ(host.prompts.errorReports().size(), 2u);
    for (const QString& report : host.prompts.errorReports())
        EXPECT_TRUE(report.startsWith("Bad file name or number\r\nin Verandi2021/08/31.Form2."
                                      "PushButton3_Click at line 119"))
            << report.toStdString();
    EXPECT_EQ(QDir(folder()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"X.db", "X.db.db"}));
    EXPECT_FALSE(QFileInfo::exists(folder() + "/../x.db"));
}

TEST_F(TransferTest, TablesGoFromTheBottomOfTheListUp)
{
    for (const char* t : {"Alpha", "beta", "Gamma"})
        makeSqlTable(t, {"x"});
    toSqlServer({}); // nothing selected yet: only the message
    ASSERT_EQ(host.prompts.of(Kind::Message).size(), 1u);
    EXPECT_EQ(host.prompts.of(Kind::Message)[0].text, "Please select a table to send.");
    toParadox({"Alpha", "beta", "Gamma"});
    QStringList selects;
    for (const QString& s : server->statementLog())
        if (s.startsWith("SELECT * FROM"))
            selects << s;
    EXPECT_EQ(selects, QStringList({"SELECT * FROM [Gamma]", "SELECT * FROM [beta]",
                                    "SELECT * FROM [Alpha]"}));
    EXPECT_EQ(paradoxList.items(), QStringList({"ALPHA", "BETA", "GAMMA"}));
}

TEST_F(TransferTest, ARowTheTargetRefusesIsReportedWithItsStatementAndTheOthersArrive)
{
    server->execute("CREATE TABLE [Nums]([n] INT)");
    for (const char* v : {"1", "-2147483648", "3"})
        server->execute(QStringLiteral("INSERT INTO [Nums] VALUES(%1)").arg(v));
    const TransferSummary s = toParadox({"Nums"});
    EXPECT_EQ(s.rowsCopied, 2);
    EXPECT_EQ(s.rowsFailed, 1);
    ASSERT_EQ(host.prompts.errorReports().size(), 1u);
    const QString report = host.prompts.errorReports()[0];
    EXPECT_TRUE(report.contains("'n'")) << report.toStdString();
    EXPECT_TRUE(report.endsWith("\r\nin Verandi2021/08/31.Form2.PushButton3_Click at line 136"
                                "\r\rPlease email screenshot of this message to "
                                "support@quorvane.com\r\rsql: INSERT INTO [Nums] "
                                "VALUES('-2147483648')"))
        << report.toStdString();
    const Rows rows = paradoxRows("Nums");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], Value(1));
    EXPECT_EQ(rows[1][0], Value(3));
}

TEST_F(TransferTest, ProgressBarShowsTheShareOfRowsDoneThenRests)
{
    makeSqlTable("Three", {"a", "b", "c"});
    makeSqlTable("Empty", {});
    toParadox({"Three"});
    EXPECT_EQ(host.progress, std::vector<int>({33, 67, 100, 0}));
    EXPECT_EQ(host.progressText, "Progress Bar");
    EXPECT_FALSE(host.waitPointer);
    host.progress.clear();
    toParadox({"Empty"});
    EXPECT_EQ(host.progress, std::vector<int>({0}));
    EXPECT_TRUE(paradoxRows("Empty").empty());
}

// Towards Paradox each row narrows the code pages that could hold the table; the row that
// none of those left holds fails at once, as does a row that no code page holds, and the
// rest arrive.
TEST_F(TransferTest, ParadoxTextCostsARowNotTheTableWhenNoCodePageHoldsIt)
{
    makeSqlTable("Cyr", {QString::fromUtf8("Привет, мир")});
    makeSqlTable("Mixed", {QString::fromUtf8("Müller"), QString::fromUtf8("Ça va"),
                           QString::fromUtf8("Größe 😀"), QString::fromUtf8("Жуков"),
                           QString::fromUtf8("Größe")});
    const TransferSummary s = toParadox({"Cyr", "Mixed"});
    auto reader =
        paradox::TableReader::open(*paradox::findTableFile(folder().toStdString(), "Cyr"));
    EXPECT_EQ(reader->header().codePage, 1251);
    EXPECT_EQ(column(paradoxRows("Cyr")), QStringList({QString::fromUtf8("Привет, мир")}));
    reader = paradox::TableReader::open(*paradox::findTableFile(folder().toStdString(), "Mixed"));
    EXPECT_EQ(reader->header().codePage, 1252);
    EXPECT_EQ(column(paradoxRows("Mixed")),
              QStringList({QString::fromUtf8("Müller"), QString::fromUtf8("Ça va"),
                           QString::fromUtf8("Größe")}));
    EXPECT_EQ(s.tablesSent, 2);
    EXPECT_EQ(s.rowsFailed, 2);
    // Each failure is reported as its row is read, naming the characters and the code page.
    const std::vector<QString> reports = host.prompts.errorReports();
    ASSERT_EQ(reports.size(), 2u);
    // The emoji fails alone, before anything is decided; the Cyrillic row then decides.
    EXPECT_TRUE(reports[0].startsWith(
        QString::fromUtf8("The row holds U+1F600 '😀' ('v'), which no Windows code page can hold;")))
        << reports[0].toStdString();
    EXPECT_TRUE(reports[1].startsWith(QString::fromUtf8(
        "The row holds U+0416 'Ж', U+0443 'у', U+043A 'к', U+043E 'о', U+0432 'в' ('v'), which "
        "code page 1252 cannot hold")))
        << reports[1].toStdString();
    EXPECT_TRUE(reports[1].contains("sql: INSERT INTO [Mixed] VALUES("));
    // The table's end names its code page when it is not 1252.
    QStringList messages;
    for (const auto& m : host.prompts.of(Kind::Message))
        messages << m.text;
    EXPECT_TRUE(messages.contains("The Paradox table Cyr is written in code page 1251."))
        << messages.join("\n").toStdString();
    EXPECT_FALSE(messages.filter("Mixed is written in").size());
}

// A code page given for the run: towards Paradox the rows it cannot hold fail, towards SQL
// Server a table is read in it whatever its header says.
TEST_F(TransferTest, TheRunsCodePageWritesAndReadsInIt)
{
    makeSqlTable("Given", {QString::fromUtf8("Жуков"), QString::fromUtf8("Ça va")});
    TransferContext ctx = context();
    ctx.codePage = 866;
    sqlList.addItem("Given");
    sqlList.select({"Given"});
    const TransferSummary s = sendTablesToParadox(ctx);
    EXPECT_EQ(s.rowsFailed, 1);
    ASSERT_EQ(host.prompts.errorReports().size(), 1u);
    EXPECT_TRUE(host.prompts.errorReports()[0].contains(
        QString::fromUtf8("U+00C7 'Ç' ('v'), which code page 866 cannot hold: the Paradox table "
                          "is written in code page 866, as chosen.")));
    const auto file = *paradox::findTableFile(folder().toStdString(), "Given");
    EXPECT_EQ(paradox::TableReader::open(file)->header().codePage, 866);
    EXPECT_EQ(column(paradoxRows("Given")), QStringList({QString::fromUtf8("Жуков")}));

    // Read as 1251 the bytes of 866 are other letters; read as 866 they are the same again.
    host.prompts.clear();
    paradox::ReadOptions asWindows;
    asWindows.encoding = "CP1251";
    std::vector<paradox::Value> row;
    ASSERT_TRUE(paradox::TableReader::open(file, asWindows)->next(row));
    EXPECT_NE(row[0], paradox::Value("Жуков"));
    refillParadoxList();
    for (const int cp : {1251, 866}) {
        server->reset();
        sqlList.clear();
        ctx = context();
        ctx.codePage = cp;
        paradoxList.select({"GIVEN"});
        sendTablesToSqlServer(ctx);
        EXPECT_EQ(column(sqlRows("GIVEN")) == QStringList({QString::fromUtf8("Жуков")}), cp == 866)
            << column(sqlRows("GIVEN")).join(",").toStdString();
    }
}

// The data type window's code page: the table is read in it, and created as the window said.
TEST_F(TransferTest, TheDataTypeWindowsCodePageReadsTheTableInIt)
{
    TABULEX_REQUIRE_FIXTURES();
    copyFixtures("db", {"AREACODES"});
    QFile f(folder() + "/AREACODES.DB");
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(qint64(paradox::layout::kCodePageAt)));
    ASSERT_EQ(f.write("\x52\x03", 2), 2); // 850; the text is 1252's
    f.close();
    host.prompts.dataTypeWindowActions = {[](DataTypeWindow& w) {
        w.codePageBox->setCurrentIndex(w.codePageBox->findData(1252));
        w.onOk();
    }};
    refillParadoxList();
    paradoxList.select({"AREACODES"});
    TransferContext ctx = context();
    ctx.customize = true;
    const TransferSummary s = sendTablesToSqlServer(ctx);
    for (const QString& report : host.prompts.errorReports())
        ADD_FAILURE() << report.toStdString();
    EXPECT_EQ(s.tablesSent, 1);
    bool found = false;
    for (const auto& row : sqlRows("AREACODES"))
        found = found || row[2].toText() == QString::fromUtf8("San José");
    EXPECT_TRUE(found);
}

TEST_F(TransferTest, OverwriteTowardsSqlServerComparesWithoutCaseAndDropsByTheParadoxName)
{
    makeSqlTable("Customer", {"server"});
    sqlList.addItem("Customer");
    toParadox({"Customer"});
    server->execute("DROP TABLE [Customer]");
    makeSqlTable("Customer", {"other"});
    host.prompts.questionAnswers = {false};
    toSqlServer({"CUSTOMER"});
    ASSERT_EQ(host.prompts.of(Kind::Question).size(), 1u);
    EXPECT_EQ(host.prompts.of(Kind::Question)[0].text, "Would you like to overwrite Customer?");
    EXPECT_EQ(column(sqlRows("Customer")), QStringList({"other"}));

    host.prompts.questionAnswers = {true};
    toSqlServer({"CUSTOMER"});
    // The old table is set aside by the Paradox name, and dropped once the new one has it.
    EXPECT_EQ(server->statementLog()
                  .filter(QRegularExpression("^sp_rename '\\[CUSTOMER\\]', "
                                             "'CUSTOMER~tabulex-old-"))
                  .size(),
              1);
    EXPECT_EQ(column(sqlRows("CUSTOMER")), QStringList({"server"}));
    // The server compares without case: CUSTOMER took Customer's place in the list.
    EXPECT_EQ(sqlList.items(), QStringList({"CUSTOMER"}));
}

TEST_F(TransferTest, ATableTheServerRefusesToCreateIsNotListed)
{
    makeSqlTable("Orders", {"a", "b"});
    toParadox({"Orders"});
    server->execute("DROP TABLE [Orders]");
    sqlList.clear();
    server->failStatements("^CREATE TABLE", 1105, "Could not allocate space for object.");
    const TransferSummary s = toSqlServer({"ORDERS"});
    EXPECT_EQ(s.tablesFailed, 1);
    // The table stops there, with one report.
    ASSERT_EQ(host.prompts.errorReports().size(), 1u);
    EXPECT_TRUE(host.prompts.errorReports()[0].contains(QRegularExpression(
        "sql: CREATE TABLE \\[ORDERS~tabulex-new-[0-9a-f]{16}\\]\\(\\[v\\] NTEXT\\);$")))
        << host.prompts.errorReports()[0].toStdString();
    EXPECT_FALSE(sqlList.items().contains("ORDERS"));
}

TEST_F(TransferTest, NamesWithBracketsAndApostrophesTravelAsThemselves)
{
    makeSqlTable("O'Brien]x", {"it's"});
    makeSqlTable("Other", {"untouched"});
    host.prompts.questionAnswers = {true}; // the cut to eight characters
    toParadox({"O'Brien]x"});
    EXPECT_TRUE(host.prompts.errorReports().empty());
    EXPECT_EQ(column(paradoxRows("O'Brien]")), QStringList({"it's"}));
    toSqlServer({"O'BRIEN]"});
    EXPECT_TRUE(host.prompts.errorReports().empty());
    EXPECT_EQ(column(sqlRows("O'BRIEN]")), QStringList({"it's"}));
    EXPECT_EQ(column(sqlRows("Other")), QStringList({"untouched"}));
}

TEST_F(TransferTest, AWideTableGetsAlphaFieldsAsLongAsItsLongestValues)
{
    // 130 text columns of Alpha 255 would not fit a block of 32 KB, the largest.
    QStringList columns, values;
    for (int i = 0; i < 130; ++i) {
        columns << QStringLiteral("[c%1] NVARCHAR(50)").arg(i);
        values << QStringLiteral("N'value %1'").arg(i);
    }
    server->execute("CREATE TABLE [Wide](" + columns.join(", ") + ")");
    server->execute("INSERT INTO [Wide] VALUES(" + values.join(", ") + ")");
    toParadox({"Wide"});
    EXPECT_TRUE(host.prompts.errorReports().empty());
    std::vector<Field> fields;
    const Rows rows = paradoxRows("Wide", &fields);
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(fields.size(), 130u);
    EXPECT_EQ(fields[0].definedSize, 7);   // "value 0"
    EXPECT_EQ(fields[129].definedSize, 9); // "value 129"
    for (int i = 0; i < 130; ++i)
        EXPECT_EQ(rows[0][size_t(i)], Value(QStringLiteral("value %1").arg(i)));
}

TEST_F(TransferTest, ATableNoParadoxTableHoldsFailsBeforeAnythingIsDroppedOrCopied)
{
    // The source: a Paradox folder in the server's place, whose table of one Long Integer
    // field counts 600,000,000 rows in its header; blocks of 32 KB hold 536,731,650.
    QTemporaryDir source;
    writeLongTable(source.path() + "/Huge.db", 1);
    setHeaderRecordCount(source.path() + "/Huge.db", 600000000);
    // The table it would replace.
    writeLongTable(folder() + "/Huge.db", 7);
    refillParadoxList();
    host.prompts.questionAnswers = {true};
    sqlList.addItem("Huge");
    sqlList.select({"Huge"});
    TransferContext ctx = context();
    ctx.sqlConnectionString = [&] { return paradoxConnectionString(source.path()); };
    const TransferSummary s = sendTablesToParadox(ctx);
    EXPECT_EQ(s.tablesFailed, 1);
    EXPECT_EQ(s.rowsCopied, 0);
    ASSERT_EQ(host.prompts.errorReports().size(), 1u);
    EXPECT_TRUE(host.prompts.errorReports()[0].startsWith(
        "Huge.db: 600,000,000 rows do not fit a Paradox table: its 65,535 blocks of 32 KB hold "
        "at most 536,731,650 records of 4 bytes\r\n"))
        << host.prompts.errorReports()[0].toStdString();
    // The statement in hand is the table's CREATE TABLE.
    EXPECT_TRUE(host.prompts.errorReports()[0].endsWith("\r\rsql: CREATE TABLE `Huge`([n] INT);"))
        << host.prompts.errorReports()[0].toStdString();
    EXPECT_EQ(paradoxRows("Huge"), Rows({{Value(7)}}));
}

TEST_F(TransferTest, AChosenTypeTheStoreDoesNotKnowFailsBeforeTheOldTableIsDropped)
{
    makeSqlTable("Orders", {"old"});
    toParadox({"Orders"});
    host.prompts.questionAnswers = {true};
    // A type the window's check refuses, put into its list directly: no Paradox field is of
    // that type, and the store refuses it too.
    host.prompts.dataTypeWindowActions = {[](DataTypeWindow& w) {
        w.typeList->item(0)->setText("char(300)");
        w.onOk();
    }};
    TransferContext ctx = context();
    ctx.customize = true;
    const TransferSummary s = sendTablesToParadox(ctx);
    EXPECT_EQ(s.tablesFailed, 1);
    EXPECT_EQ(s.rowsCopied, 0);
    ASSERT_EQ(host.prompts.errorReports().size(), 1u);
    EXPECT_TRUE(host.prompts.errorReports()[0].startsWith(
        "Syntax error in field definition: the data type 'char(300)' of the field 'v' is not "
        "known."))
        << host.prompts.errorReports()[0].toStdString();
    EXPECT_EQ(column(paradoxRows("Orders")), QStringList({"old"}));
}

TEST_F(TransferTest, ADamagedParadoxTableIsSentByItsReadableRecordsOnlyWhenTheUserSaysYes)
{
    paradox::TableWriter w((folder() + "/Counted.db").toStdString(),
                           {{"n", paradox::FieldType::Long, 0}});
    for (int n = 1; n <= 3; ++n)
        w.append({paradox::Value(n)});
    w.commit();
    setHeaderRecordCount(folder() + "/Counted.db", 5);
    refillParadoxList();
    const QString question = "COUNTED is damaged:\n"
                             "the header counts 5 records, the blocks hold 3\n"
                             "Would you like to send the 3 records that can be read?";

    // No: the table fails as it always did.
    host.prompts.questionAnswers = {false};
    TransferSummary s = toSqlServer({"COUNTED"});
    ASSERT_EQ(host.prompts.of(Kind::Question).size(), 1u);
    EXPECT_EQ(host.prompts.of(Kind::Question)[0].text, question);
    EXPECT_EQ(host.prompts.of(Kind::Question)[0].title, "Salvage?");
    EXPECT_EQ(s.tablesFailed, 1);
    ASSERT_EQ(host.prompts.errorReports().size(), 1u);
    EXPECT_TRUE(host.prompts.errorReports()[0].startsWith(
        "Paradox table COUNTED: the header counts 5 records but the blocks hold 3\r\n"));
    EXPECT_FALSE(sqlList.items().contains("COUNTED"));

    // Yes: the records arrive and the end message names the kept report.
    host.prompts.clear();
    host.prompts.questionAnswers = {true};
    s = toSqlServer({"COUNTED"});
    EXPECT_EQ(host.prompts.of(Kind::Question).size(), 1u);
    EXPECT_EQ(s.tablesSent, 1);
    EXPECT_EQ(sqlRows("COUNTED"), Rows({{Value(1)}, {Value(2)}, {Value(3)}}));
    ASSERT_EQ(s.salvaged.size(), 1u);
    const auto messages = host.prompts.of(Kind::Message);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "COUNTED: salvaged: 3 records, the report in " + s.salvaged[0].reportFile);
    QFile report(s.salvaged[0].reportFile);
    ASSERT_TRUE(report.open(QIODevice::ReadOnly));
    EXPECT_TRUE(report.readAll().endsWith("the header counts 5 records, the blocks hold 3\n"));
}
