// tabulex-batch's commands against the stand-in and a Paradox folder: list, send with each
// answer to the questions, delete, rename, where the connection values come from, and
// command lines it refuses.
#include "BatchTestSupport.h"

#include "TestPaths.h"
#include "paradox/TableFiles.h"
#include "settings/Settings.h"
#include "settings/SettingsKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace tabulex;
using namespace tabulex::test;

namespace {

// The test names of the case tables, and how a failing case is shown.
template <typename Case> std::string caseName(const ::testing::TestParamInfo<Case>& param)
{
    return param.param.name;
}

#define EXPECT_EXIT_STATUS(result, status) EXPECT_EQ((result).exitCode, status) << explain(result)

// Which login each combination of stored values and flags gives.
struct LoginCase {
    const char* name;
    bool storedPasswordRight;
    const char* storedLocal;
    QStringList flags; // "@password-file" stands for the test's password file
    QByteArray input;
    int exitCode;
};

// Sending Paradox tables to SQL Server, where ORDERS is already.
struct AnswerCase {
    const char* name;
    QStringList flags;
    QByteArray typed; // on a terminal when not empty
    bool overwritten;
};

// Sending SQL Server tables to Paradox: CUSTOMERS2 is cut to CUSTOMER, which the folder has.
struct CutCase {
    const char* name;
    QStringList flags;
    QByteArray typed;
    size_t customerRows; // 20 as before, 3 when replaced
    bool overwriteAsked;
};

// Command lines that are refused before anything is changed.
struct UsageCase {
    const char* name;
    QStringList args;
    const char* message;
    bool connection = true;
};

void PrintTo(const LoginCase& c, std::ostream* os) { *os << c.name; }
void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }
void PrintTo(const CutCase& c, std::ostream* os) { *os << c.name; }
void PrintTo(const UsageCase& c, std::ostream* os) { *os << c.name; }

class BatchLogin : public BatchTest, public ::testing::WithParamInterface<LoginCase> {};
class BatchToSqlServer : public BatchTest, public ::testing::WithParamInterface<AnswerCase> {};
class BatchToParadox : public BatchTest, public ::testing::WithParamInterface<CutCase> {};
class BatchUsage : public BatchTest, public ::testing::WithParamInterface<UsageCase> {};

} // namespace

TEST_F(BatchTest, ListPrintsEachSideAsTheTableWindowListsIt)
{
    TABULEX_REQUIRE_FIXTURES();
    copyFixtures("db", {"ORDERS", "CUSTOMER"});
    ASSERT_TRUE(QDir(folder()).mkdir("sub"));
    ASSERT_TRUE(QFile::copy(folder() + "/ORDERS.DB", folder() + "/sub/parts.db"));
    ASSERT_TRUE(QFile::copy(folder() + "/ORDERS.DB", folder() + "/~lock.db"));
    makeSqlTable("Zeta", 1);
    makeSqlTable("alpha", 0);
    makeSqlTable("MySysLog", 0);
    makeSqlTable("two\nlines\\", 0);
    server->execute("CREATE VIEW [ZetaView] AS SELECT * FROM [Zeta]");
    ASSERT_TRUE(QFile::copy(folder() + "/ORDERS.DB", folder() + "/tab\tbed.db"));

    // One table, one line: control characters and the backslash are escaped.
    const BatchResult sql = batch(QStringList{"list", "sql"} + connection());
    EXPECT_EXIT_STATUS(sql, 0);
    EXPECT_EQ(sql.out, "alpha\ntwo\\nlines\\\\\nZeta\n");
    const BatchResult paradox = batch(QStringList{"list", "paradox"} + connection());
    EXPECT_EXIT_STATUS(paradox, 0);
    EXPECT_EQ(paradox.out, "CUSTOMER\nORDERS\nsub/PARTS\nTAB\\tBED\n");
    EXPECT_EQ(paradox.err, "");
    // Table arguments take the same escapes.
    EXPECT_EXIT_STATUS(
        batch(QStringList{"delete", "--side", "sql", "two\\nlines\\\\"} + connection()), 0);
    EXPECT_EXIT_STATUS(
        batch(QStringList{"delete", "--side", "paradox", "TAB\\tBED"} + connection()), 0);
    EXPECT_EQ(sqlTables(), (QStringList{"alpha", "Zeta"}));
    EXPECT_FALSE(QFile::exists(folder() + "/tab\tbed.db"));
}

TEST_P(BatchLogin, ConnectionValuesComeFromTheSettingsStoreUnlessFlagsGiveThem)
{
    const LoginCase& c = GetParam();
    makeSqlTable("Stored", 0);
    Settings::write(keys::Server, "127.0.0.1");
    Settings::write(keys::Port, QString::number(server->port()));
    Settings::write(keys::Database, server->database());
    Settings::write(keys::User, server->user());
    Settings::write(keys::Password, c.storedPasswordRight ? server->password() : "wrong");
    Settings::write(keys::LocalConnection, c.storedLocal);
    QStringList flags = c.flags;
    flags.replaceInStrings("@password-file", passwordFile());

    const BatchResult r = batch(QStringList{"list", "sql"} + flags, c.input);
    EXPECT_EXIT_STATUS(r, c.exitCode);
    if (c.exitCode == 0) {
        EXPECT_EQ(r.out, "Stored\n");
    } else {
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(r.err.contains("tabulex-batch: the SQL Server tables could not be listed: "))
            << r.err.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchLogin,
    ::testing::Values(
        LoginCase{"StoredValues", true, "0", {}, {}, 0},
        LoginCase{"StoredWrongPassword", false, "0", {}, {}, 1},
        LoginCase{"PasswordFile", false, "0", {"--password-file", "@password-file"}, {}, 0},
        LoginCase{"PasswordFromInput", false, "0", {"--password-file", "-"}, "Secret#1\r\n", 0},
        LoginCase{"StoredLocalLeavesThePortOut", true, "1", {}, {}, 1},
        LoginCase{"NoLocalPutsItBack", true, "1", {"--no-local"}, {}, 0},
        LoginCase{"LocalFlag", true, "0", {"--local"}, {}, 1},
        LoginCase{"PortFlag", true, "0", {"--port", "1"}, {}, 1},
        LoginCase{"DatabaseFlag", true, "0", {"--database", "elsewhere"}, {}, 1}),
    caseName<LoginCase>);

TEST_P(BatchToSqlServer, TheOverwriteQuestionIsAnsweredByTheFlagOrOnTheTerminal)
{
    TABULEX_REQUIRE_FIXTURES();
    const AnswerCase& c = GetParam();
    copyFixtures("db", {"ORDERS", "CUSTOMER"});
    makeSqlTable("ORDERS", 1);
    const QStringList args = QStringList{"send", "--to", "sql", "--all"} + c.flags + connection();
    const BatchResult r = c.typed.isEmpty() ? batch(args) : batchOnTerminal(args, c.typed);
    const QString shown = r.err + r.out;

    EXPECT_EXIT_STATUS(r, 0);
    EXPECT_TRUE(shown.contains("Overwrite? Would you like to overwrite ORDERS?"))
        << shown.toStdString();
    EXPECT_EQ(sqlTable(server->connectionString(), "ORDERS").size(), c.overwritten ? 224u : 1u);
    EXPECT_EQ(sqlTable(server->connectionString(), "CUSTOMER").size(), 20u);
    EXPECT_TRUE(shown.contains(c.overwritten
                                   ? "Summary: 2 tables done (0 skipped, 0 failed), 244 rows copied"
                                   : "Summary: 1 table done (1 skipped, 0 failed), 20 rows copied"))
        << shown.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Answers, BatchToSqlServer,
                         ::testing::Values(AnswerCase{"Yes", {"--overwrite", "yes"}, {}, true},
                                           AnswerCase{"No", {"--overwrite", "no"}, {}, false},
                                           AnswerCase{"TypedYes", {}, "y\n", true},
                                           AnswerCase{"TypedNoAfterNonsense",
                                                      {"--overwrite", "ask"},
                                                      "perhaps\nn\n",
                                                      false}),
                         caseName<AnswerCase>);

TEST_P(BatchToParadox, TheCutAndOverwriteQuestionsAreAnsweredByFlagsOrOnTheTerminal)
{
    TABULEX_REQUIRE_FIXTURES();
    const CutCase& c = GetParam();
    copyFixtures("db", {"CUSTOMER"});
    makeSqlTable("CUSTOMERS2", 3);
    makeSqlTable("Fresh", 2);
    const QStringList args =
        QStringList{"send", "--to", "paradox", "CUSTOMERS2", "Fresh"} + c.flags + connection();
    const BatchResult r = c.typed.isEmpty() ? batch(args) : batchOnTerminal(args, c.typed);
    const QString shown = r.err + r.out;

    EXPECT_EXIT_STATUS(r, 0);
    EXPECT_TRUE(shown.contains("Continue? CUSTOMERS2 is more than 8 characters. It will be "
                               "trimmed into CUSTOMER. Continue?"))
        << shown.toStdString();
    EXPECT_EQ(shown.contains("Would you like to overwrite CUSTOMER?"), c.overwriteAsked);
    EXPECT_EQ(paradoxTable(folder(), "CUSTOMER").size(), c.customerRows);
    EXPECT_EQ(paradoxTable(folder(), "FRESH").size(), 2u);
    EXPECT_FALSE(QFile::exists(folder() + "/CUSTOMERS2.db"));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BatchToParadox,
    ::testing::Values(
        CutCase{"CutAndOverwrite", {"--cut", "yes", "--overwrite", "yes"}, {}, 3, true},
        CutCase{"CutButKeep", {"--cut", "yes", "--overwrite", "no"}, {}, 20, true},
        CutCase{"NoCutNeedsNoOverwriteAnswer", {"--cut", "no"}, {}, 20, false},
        CutCase{"TypedYesThenNo", {}, "y\nn\n", 20, true},
        CutCase{"TypedYesYes", {}, "yes\nyes\n", 3, true}),
    caseName<CutCase>);

TEST_F(BatchTest, DeleteAndRenameWorkOnBothSides)
{
    TABULEX_REQUIRE_FIXTURES();
    makeSqlTable("A", 0);
    makeSqlTable("B", 0);
    makeSqlTable("C", 2);
    copyFixtures("db", {"ORDERS", "CUSTOMER"});

    EXPECT_EXIT_STATUS(batch(QStringList{"delete", "--side", "sql", "A", "B"} + connection()), 0);
    EXPECT_EQ(sqlTables(), QStringList{"C"});
    EXPECT_EXIT_STATUS(batch(QStringList{"rename", "--side", "sql", "C", "Sales"} + connection()),
                       0);
    EXPECT_EQ(sqlTables(), QStringList{"Sales"});
    EXPECT_EQ(sqlTable(server->connectionString(), "Sales").size(), 2u);

    EXPECT_EXIT_STATUS(batch(QStringList{"delete", "--side", "paradox", "CUSTOMER"} + connection()),
                       0);
    EXPECT_EQ(folderFiles(), (QStringList{"ORDERS.DB", "ORDERS.PX"}));
    EXPECT_EXIT_STATUS(
        batch(QStringList{"rename", "--side", "paradox", "ORDERS", "Sales"} + connection()), 0);
    EXPECT_EQ(folderFiles(), (QStringList{"Sales.DB", "Sales.PX"}));
    EXPECT_EQ(paradoxTable(folder(), "Sales").size(), 224u);
}

TEST_F(BatchTest, AParadoxRenameOntoAnotherTableFollowsTheOverwriteAnswer)
{
    TABULEX_REQUIRE_FIXTURES();
    copyFixtures("db", {"ORDERS", "AREACODE"});
    const QStringList before = folderFiles();
    const QStringList rename{"rename", "--side", "paradox", "ORDERS", "AREACODE"};

    // No is an answer: nothing renamed, nothing failed.
    const BatchResult no = batch(rename + QStringList{"--overwrite", "no"} + connection());
    EXPECT_EXIT_STATUS(no, 0);
    EXPECT_TRUE(no.err.contains("Summary: ORDERS not renamed")) << no.err.toStdString();
    // Without a flag or a terminal the question cannot be answered: nothing changes.
    const BatchResult unanswered = batch(rename + connection());
    EXPECT_EXIT_STATUS(unanswered, 2);
    EXPECT_TRUE(unanswered.err.contains("give --overwrite yes or --overwrite no"))
        << unanswered.err.toStdString();
    EXPECT_EQ(folderFiles(), before);

    EXPECT_EXIT_STATUS(batch(rename + QStringList{"--overwrite", "yes"} + connection()), 0);
    EXPECT_EQ(paradoxTable(folder(), "AREACODE").size(), 224u);
    EXPECT_FALSE(QFile::exists(folder() + "/ORDERS.DB"));
}

TEST_F(BatchTest, TablesThatCannotBeDeletedAreNamedAndFailTheRun)
{
    TABULEX_REQUIRE_FIXTURES();
    makeSqlTable("Kept", 0);
    makeSqlTable("Gone", 0);
    server->failStatements("DROP TABLE \\[Kept\\]", 3701, "Cannot drop the table 'Kept'.");
    const BatchResult sql =
        batch(QStringList{"delete", "--side", "sql", "Kept", "Gone"} + connection());
    EXPECT_EXIT_STATUS(sql, 1);
    EXPECT_TRUE(sql.err.contains("Application Error\n[FreeTDS][SQL Server]Cannot drop the table "
                                 "'Kept'.\nin Verandi2021/08/31.Form2.PushButton1_Click at line "))
        << sql.err.toStdString();
    EXPECT_TRUE(sql.err.contains("Kept: not deleted\n")) << sql.err.toStdString();
    EXPECT_EQ(sqlTables(), QStringList{"Kept"});

    // A table in a subfolder is named by its path: its bare name is no table of the list.
    ASSERT_TRUE(QDir(folder()).mkdir("sub"));
    copyFixtures("db", {"ORDERS"});
    ASSERT_TRUE(QFile::rename(folder() + "/ORDERS.DB", folder() + "/sub/ORDERS.DB"));
    const BatchResult paradox =
        batch(QStringList{"delete", "--side", "paradox", "ORDERS"} + connection());
    EXPECT_EXIT_STATUS(paradox, 2);
    EXPECT_TRUE(QFile::exists(folder() + "/sub/ORDERS.DB"));
}

TEST_P(BatchUsage, IsRefusedWithExitStatus2AndNothingChanges)
{
    TABULEX_REQUIRE_FIXTURES();
    const UsageCase& c = GetParam();
    copyFixtures("db", {"ORDERS"});
    makeSqlTable("ORDERS", 1);
    makeSqlTable("Other", 1);
    server->control("log_clear");
    const QStringList files = folderFiles();

    const BatchResult r = batch((c.connection ? connection() : QStringList{}) + c.args);
    EXPECT_EXIT_STATUS(r, 2);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("tabulex-batch: ") + c.message))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.endsWith("Try 'tabulex-batch --help'.\n")) << r.err.toStdString();
    EXPECT_EQ(folderFiles(), files);
    for (const QString& statement : server->statementLog())
        EXPECT_FALSE(statement.contains(QRegularExpression(
            "^(DROP|CREATE|INSERT|sp_rename)", QRegularExpression::CaseInsensitiveOption)))
            << statement.toStdString();
    EXPECT_EQ(sqlTable(server->connectionString(), "ORDERS").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BatchUsage,
    ::testing::Values(
        UsageCase{"NoCommand", {}, "no command given"},
        UsageCase{"UnknownOption", {"list", "sql", "--verbose"}, "Unknown option 'verbose'"},
        UsageCase{
            "SendAllAndNames", {"send", "--to", "sql", "--all", "ORDERS"}, "send takes either"},
        UsageCase{"PasswordOnTheLine",
                  {"list", "sql", "--password", "Secret#1"},
                  "a password is never given on the command line"},
        UsageCase{"PasswordFileMissing",
                  {"list", "sql", "--password-file", "/nonexistent/pw"},
                  "cannot read the password file /nonexistent/pw"},
        UsageCase{"RenameToItself",
                  {"rename", "--side", "sql", "ORDERS", "ORDERS"},
                  "the new name is the old name"},
        UsageCase{"CutWithDelete",
                  {"delete", "--side", "sql", "--cut", "yes", "Other"},
                  "--cut does not go with this command"},
        UsageCase{"RowsPerStatementAboveTheServersLimit",
                  {"send", "--to", "sql", "--all", "--rows-per-statement", "1001"},
                  "--rows-per-statement takes a number from 1 to 1000, not \"1001\""},
        UsageCase{"AskWithoutTerminal",
                  {"send", "--to", "sql", "--all", "--overwrite", "ask"},
                  "ask needs a terminal"},
        UsageCase{"QuestionWithoutTerminal",
                  {"send", "--to", "sql", "ORDERS"},
                  "standard input is not a terminal to ask on: ORDERS already on the SQL Server "
                  "side"},
        UsageCase{"NameNotAsListed",
                  {"send", "--to", "sql", "orders", "--overwrite", "yes"},
                  "not among the Paradox tables: orders (listed as ORDERS)"},
        UsageCase{"UnknownTable",
                  {"delete", "--side", "sql", "Other", "Nope"},
                  "not among the SQL Server tables: Nope"},
        UsageCase{"TimeoutNotSeconds",
                  {"list", "sql", "--timeout", "0"},
                  "--timeout takes whole seconds from 1 to 86400, not \"0\""},
        UsageCase{"NoServerAnywhere", {"list", "sql"}, "no SQL Server", false}),
    caseName<UsageCase>);

// Three tables of one name: two in the folder differing only in case, one in a subfolder.
// Each is one entry, sent once under a name of its own, and deleted alone.
TEST_F(BatchTest, TablesOfOneNameAreEachTheirOwnEntry)
{
    TABULEX_REQUIRE_FIXTURES();
    const auto copyAs = [&](const QString& table, const QString& as) {
        const QDir from(paradoxFixtures() + "/db");
        for (const auto& file : paradox::tableFamily(from.filePath(table + ".DB").toStdString())) {
            const QString source = QString::fromStdString(file.string());
            const QString target = folder() + u'/' + as + u'.' + QFileInfo(source).suffix();
            ASSERT_TRUE(QDir().mkpath(QFileInfo(target).path()));
            ASSERT_TRUE(QFile::copy(source, target)) << target.toStdString();
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        }
    };
    copyAs("ORDERS", "orders");       // 224 rows
    copyAs("CUSTOMER", "ORDERS");     // 20 rows and memos
    copyAs("AREACODE", "sub/Orders"); // 135 rows
    for (const QString f : {"orders.DB", "orders.PX"})
        ASSERT_TRUE(QFile::rename(folder() + u'/' + f, folder() + u'/' + f.toLower()));
    QFile blank(folder() + "/.db");
    ASSERT_TRUE(blank.open(QIODevice::WriteOnly));
    blank.close();

    const BatchResult list = batch(QStringList{"list", "paradox"} + connection());
    EXPECT_EXIT_STATUS(list, 0);
    EXPECT_EQ(list.out, "ORDERS\norders\nsub/ORDERS\n");

    const BatchResult sent =
        batch(QStringList{"send", "--to", "sql", "--all", "--overwrite", "yes"} + connection());
    EXPECT_EXIT_STATUS(sent, 0);
    EXPECT_TRUE(sent.err.contains("Summary: 3 tables done (0 skipped, 0 failed), 379 rows copied"))
        << sent.err.toStdString();
    EXPECT_TRUE(sent.err.contains("orders is sent to SQL Server as orders_2: ORDERS of the "
                                  "Paradox list takes the name ORDERS there"))
        << sent.err.toStdString();
    EXPECT_EQ(sqlTables(), (QStringList{"ORDERS", "orders_2", "sub_ORDERS"}));
    EXPECT_EQ(sqlTable(server->connectionString(), "ORDERS").size(), 20u);
    EXPECT_EQ(sqlTable(server->connectionString(), "orders_2").size(), 224u);
    EXPECT_EQ(sqlTable(server->connectionString(), "sub_ORDERS").size(), 135u);

    const BatchResult gone =
        batch(QStringList{"delete", "--side", "paradox", "orders"} + connection());
    EXPECT_EXIT_STATUS(gone, 0);
    EXPECT_TRUE(gone.err.contains("Summary: 1 table deleted, 0 not deleted"))
        << gone.err.toStdString();
    EXPECT_EQ(folderFiles(),
              (QStringList{"ORDERS.DB", "ORDERS.MB", "ORDERS.PX", "ORDERS.X06", "ORDERS.Y06"}));
    EXPECT_EQ(batch(QStringList{"list", "paradox"} + connection()).out, "ORDERS\nsub/ORDERS\n");
    // A subfolder table is renamed in its subfolder, and deleted alone.
    EXPECT_EXIT_STATUS(
        batch(QStringList{"rename", "--side", "paradox", "sub/ORDERS", "Areas"} + connection()), 0);
    EXPECT_EQ(QDir(folder() + "/sub").entryList(QDir::Files, QDir::Name),
              (QStringList{"Areas.DB", "Areas.PX", "Areas.VAL"}));
    EXPECT_EQ(batch(QStringList{"list", "paradox"} + connection()).out, "ORDERS\nsub/AREAS\n");
    EXPECT_EXIT_STATUS(
        batch(QStringList{"delete", "--side", "paradox", "sub/AREAS"} + connection()), 0);
    EXPECT_TRUE(QDir(folder() + "/sub").isEmpty());
    EXPECT_TRUE(QFile::exists(folder() + "/ORDERS.DB"));
}
