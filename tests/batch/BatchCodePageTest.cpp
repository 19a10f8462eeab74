// tabulex-batch and code pages: a table whose header names the wrong one reads right with
// --code-page, list --long shows it, and towards Paradox a character costs its row alone.
#include "BatchTestSupport.h"

#include "TestPaths.h"
#include "paradox/Layout.h"

#include <QFile>

using namespace tabulex;
using namespace tabulex::test;

namespace {

void setHeaderCodePage(const QString& path, quint16 codePage)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(qint64(paradox::layout::kCodePageAt)));
    const char le[2] = {char(codePage & 0xFF), char(codePage >> 8)};
    ASSERT_EQ(f.write(le, 2), 2);
}

QString citiesOf(const Rows& rows, const QString& areaCode)
{
    for (const auto& r : rows)
        if (r[0].toText() == areaCode)
            return r[2].toText();
    return "(none)";
}

} // namespace

TEST_F(BatchTest, AHeaderNamingTheWrongCodePageReadsRightWithTheOneGiven)
{
    TABULEX_REQUIRE_FIXTURES();
    copyFixtures("db", {"AREACODES"});
    // Text written in 1252, the header made to say 850.
    setHeaderCodePage(folder() + "/AREACODES.DB", 850);

    const BatchResult list = batch(QStringList{"list", "paradox", "--long"} + connection());
    EXPECT_EQ(list.exitCode, 0) << explain(list);
    EXPECT_EQ(list.out, "AREACODES  code page 850  version 7.x  370 rows  keyed\n")
        << explain(list);
    EXPECT_EQ(batch(QStringList{"list", "paradox"} + connection()).out, "AREACODES\n");

    const BatchResult wrong = batch(QStringList{"send", "--to", "sql", "AREACODES"} + connection());
    EXPECT_EQ(wrong.exitCode, 0) << explain(wrong);
    EXPECT_EQ(citiesOf(sqlTable(server->connectionString(), "AREACODES"), "408"),
              QString::fromUtf8("San JosÚ"));
    const BatchResult right = batch(QStringList{"send", "--to", "sql", "AREACODES", "--code-page",
                                                "1252", "--overwrite", "yes"} +
                                    connection());
    EXPECT_EQ(right.exitCode, 0) << explain(right);
    EXPECT_EQ(citiesOf(sqlTable(server->connectionString(), "AREACODES"), "408"),
              QString::fromUtf8("San José"));

    const BatchResult unknown = batch(
        QStringList{"send", "--to", "sql", "AREACODES", "--code-page", "65001"} + connection());
    EXPECT_EQ(unknown.exitCode, 2) << explain(unknown);
    EXPECT_TRUE(unknown.err.contains("--code-page takes a code page of the Paradox language "
                                     "drivers (1252, 1250,"))
        << explain(unknown);
}

// The row that no code page left can hold fails as it is read, before the table ends.
TEST_F(BatchTest, ARowOfAnotherScriptFailsAloneAsItIsRead)
{
    server->execute("CREATE TABLE [Names]([id] INT, [name] NVARCHAR(40))");
    server->execute(QString::fromUtf8("INSERT INTO [Names] VALUES(1, N'Çelik Müller'), (2, "
                                      "N'Gül Жуков'), (3, N'Élodie Brandão')"));
    const BatchResult r = batch(QStringList{"send", "--to", "paradox", "Names"} + connection());
    EXPECT_EQ(r.exitCode, 1) << explain(r);
    const qsizetype report = r.err.indexOf(QString::fromUtf8(
        "The row holds U+0416 'Ж', U+0443 'у', U+043A 'к', U+043E 'о', U+0432 'в' ('name'), "
        "which code page 1252 cannot hold"));
    const qsizetype end = r.err.indexOf("Names: 2 rows copied, 1 row failed");
    EXPECT_GE(report, 0) << explain(r);
    EXPECT_GT(end, report) << explain(r);
    const Rows rows = paradoxTable(folder(), "Names");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][1].toText(), QString::fromUtf8("Élodie Brandão"));
}
