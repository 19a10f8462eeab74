// tabulex-batch leaves alone a Paradox table that a Paradox program may have open.
#include "BatchTestSupport.h"

#include "ParadoxLockFiles.h"
#include "TestPaths.h"

#include <QFile>
#include <QMap>

using namespace tabulex;
using namespace tabulex::test;

namespace {

QMap<QString, QByteArray> contents(const QString& folder, const QStringList& files)
{
    QMap<QString, QByteArray> out;
    for (const QString& f : files) {
        QFile file(folder + u'/' + f);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << f.toStdString();
        out[f] = file.readAll();
    }
    return out;
}

#define EXPECT_RUN(result, status, text)                                                           \
    do {                                                                                           \
        const BatchResult r_ = (result);                                                           \
        EXPECT_EQ(r_.exitCode, status) << r_.err.toStdString();                                    \
        EXPECT_TRUE(r_.err.contains(text)) << r_.err.toStdString();                                \
    } while (false)

} // namespace

TEST_F(BatchTest, ParadoxTablesInUseAreRefusedWithTheirLockNamed)
{
    TABULEX_REQUIRE_FIXTURES();
    copyFixtures("db", {"ORDERS", "CUSTOMER"});
    makeSqlTable("ORDERS", 3);
    const QStringList locks = writeParadoxLockFiles(folder(), "ORDERS");
    const QStringList files = folderFiles();
    const QMap<QString, QByteArray> before = contents(folder(), files);
    const QStringList remove = QStringList{"delete", "--side", "paradox", "ORDERS"} + connection();
    const QStringList rename =
        QStringList{"rename", "--side", "paradox", "ORDERS", "Sales"} + connection();
    const QStringList overwrite =
        QStringList{"send", "--to", "paradox", "ORDERS", "--overwrite", "yes"} + connection();
    const QString named = "ORDERS.LCK (" + kLockFileTime + ")";
    {
        const OpenFiles program(locks);
        for (const QStringList& flag : {QStringList{}, QStringList{"--ignore-stale-locks"}}) {
            EXPECT_RUN(batch(remove + flag), 1, "ORDERS was not deleted: a Paradox program may");
            EXPECT_RUN(batch(remove + flag), 1, named);
            EXPECT_RUN(batch(rename + flag), 1, "ORDERS was not renamed: a Paradox program may");
            EXPECT_RUN(batch(rename + flag), 1, "ORDERS not renamed");
            EXPECT_RUN(batch(overwrite + flag), 1, "ORDERS was not overwritten: a Paradox program");
            EXPECT_RUN(batch(overwrite + flag), 1, named);
        }
    }
    // Stale: kept without the flag, and the user told how to go ahead.
    EXPECT_RUN(batch(remove), 1, "They are stale: no process on this machine has them open");
    EXPECT_RUN(batch(rename), 1, " no: give --ignore-stale-locks to go ahead");
    EXPECT_RUN(batch(overwrite), 1, "Overwrite ORDERS all the same? no: give --ignore-stale-locks");
    EXPECT_EQ(folderFiles(), files);
    EXPECT_EQ(contents(folder(), files), before);

    EXPECT_RUN(batch(rename + QStringList{"--ignore-stale-locks"}), 0,
               "all the same? yes (--ignore-stale-locks)");
    EXPECT_EQ(paradoxTable(folder(), "Sales").size(), 224u);
    EXPECT_RUN(batch(QStringList{"delete", "--side", "paradox", "SALES", "CUSTOMER",
                                 "--ignore-stale-locks"} +
                     connection()),
               0, "2 tables deleted");
    EXPECT_EQ(folderFiles(), (QStringList{"ORDERS.LCK", "PARADOX.LCK", "PDOXUSRS.LCK"}));
}
