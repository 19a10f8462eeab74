// Delete and rename leave alone a Paradox table that a Paradox program may have open.
#include "ParadoxLockFiles.h"
#include "TablesTestSupport.h"
#include "TestPaths.h"
#include "folders/TableLocks.h"
#include "tables/ListFill.h"
#include "tables/ParadoxTableCommands.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tabulex;
using namespace tabulex::test;
using Kind = ScriptedPrompter::Kind;

namespace {

class ParadoxLocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        TABULEX_REQUIRE_FIXTURES();
        m_folder.copyTable("db", "ORDERS");
        m_folder.copyTable("db", "CUSTOMER");
        for (const QString& f : m_folder.files())
            m_before[f] = contentsOf(m_folder.file(f));
        fillParadoxTableList(m_box.list, m_folder.path(), m_host);
    }
    void select(const QStringList& names) { setUpList(m_box.list, itemsOf(m_box.list), names); }
    bool rename(const QString& table, const QString& newName)
    {
        select({table});
        m_host.prompts.inputAnswers = {newName};
        return renameParadoxTable(m_box.list, m_folder.path(), m_host);
    }
    // True when every table file is there with the bytes it had.
    bool unchanged(const QString& table) const
    {
        for (auto it = m_before.begin(); it != m_before.end(); ++it)
            if (it.key().startsWith(table) && contentsOf(m_folder.file(it.key())) != it.value())
                return false;
        return true;
    }
    std::vector<QString> messages() const
    {
        std::vector<QString> texts;
        for (const auto& p : m_host.prompts.of(Kind::Message))
            texts.push_back(p.text);
        return texts;
    }

    ParadoxFolder m_folder;
    QMap<QString, QByteArray> m_before;
    ListBox m_box;
    TestHost m_host;
};

} // namespace

TEST_F(ParadoxLocks, ALockedTableIsRefusedWithItsLockFilesAndStaysAsItWas)
{
    const QStringList locks = writeParadoxLockFiles(m_folder.path(), "ORDERS");
    const OpenFiles program(locks);

    select({"ORDERS", "CUSTOMER"});
    EXPECT_EQ(deleteParadoxTables(m_box.list, m_folder.path(), m_host), 0);
    EXPECT_FALSE(rename("ORDERS", "Sales"));
    EXPECT_FALSE(rename("CUSTOMER", "ORDERS")); // would replace ORDERS
    EXPECT_TRUE(unchanged("ORDERS") && unchanged("CUSTOMER"));
    EXPECT_EQ(itemsOf(m_box.list), (QStringList{"CUSTOMER", "ORDERS"}));
    const auto texts = messages();
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_TRUE(texts[0].startsWith(
        "ORDERS was not deleted: a Paradox program may have it open.\n"
        "Lock files: " +
        locks[0] + " (" + kLockFileTime + "), " + locks[1] + " (" + kLockFileTime +
        "; net file \\\\FILESRV\\PDOXNET\\; holds "
        "ANNA, ORDERS), " +
        locks[2] + " (" + kLockFileTime + "; holds ANNA).\nORDERS.LCK: process " +
        QString::number(getpid())))
        << texts[0].toStdString();
    EXPECT_TRUE(texts[0].contains("has it open")) << texts[0].toStdString();
    EXPECT_TRUE(texts[1].startsWith("CUSTOMER was not deleted: ")) << texts[1].toStdString();
    EXPECT_TRUE(texts[2].startsWith("ORDERS was not renamed: ")) << texts[2].toStdString();
    EXPECT_TRUE(texts[3].startsWith("CUSTOMER was not renamed: ")) << texts[3].toStdString();
    EXPECT_TRUE(m_host.prompts.errorReports().empty());
    EXPECT_TRUE(m_host.prompts.of(Kind::Question).empty());
}

TEST_F(ParadoxLocks, OnlyTheLockedTableIsRefusedAndTheNextGoesOn)
{
    const QStringList locks = writeParadoxLockFiles(m_folder.path(), "ORDERS");
    for (const QString& folderLock : locks.mid(1))
        ASSERT_TRUE(QFile::remove(folderLock));
    const OpenFiles program(locks.mid(0, 1));
    select({"ORDERS", "CUSTOMER"});
    EXPECT_EQ(deleteParadoxTables(m_box.list, m_folder.path(), m_host), 1);
    EXPECT_EQ(m_folder.files(), (QStringList{"ORDERS.DB", "ORDERS.LCK", "ORDERS.PX"}));
    EXPECT_TRUE(unchanged("ORDERS"));
    EXPECT_EQ(itemsOf(m_box.list), QStringList{"ORDERS"});
    EXPECT_EQ(messages().size(), 1u);
}

TEST_F(ParadoxLocks, StaleLockFilesAreNamedAndTheUserDecides)
{
    const QStringList locks = writeParadoxLockFiles(m_folder.path(), "ORDERS");
    m_host.prompts.questionAnswers = {false, false, true};
    select({"ORDERS"});
    EXPECT_EQ(deleteParadoxTables(m_box.list, m_folder.path(), m_host), 0);
    EXPECT_FALSE(rename("ORDERS", "Sales"));
    EXPECT_TRUE(unchanged("ORDERS"));
    EXPECT_TRUE(rename("ORDERS", "Sales"));
    EXPECT_EQ(itemsOf(m_box.list), (QStringList{"CUSTOMER", "Sales"}));

    const auto questions = m_host.prompts.of(Kind::Question);
    ASSERT_EQ(questions.size(), 3u);
    EXPECT_EQ(questions[0].title, kStaleLockTitle);
    EXPECT_TRUE(questions[0].text.startsWith("ORDERS has the lock files of a Paradox program: " +
                                             locks[0] + " (" + kLockFileTime + "), "))
        << questions[0].text.toStdString();
    EXPECT_TRUE(questions[0].text.endsWith(
        ".\nThey are stale: no process on this machine has them open or locked.\n"
        "Delete ORDERS all the same?"))
        << questions[0].text.toStdString();
    EXPECT_TRUE(questions[1].text.endsWith("Rename ORDERS all the same?"));
    for (const QString& lock : locks) // the lock files are the user's to remove
        EXPECT_TRUE(QFile::exists(lock)) << lock.toStdString();
    EXPECT_TRUE(messages().empty());
}

TEST_F(ParadoxLocks, ATableThatCannotBeDeletedSaysWhy)
{
    const bool root = geteuid() == 0;
    const QString db = m_folder.file("ORDERS.DB");
    // Root may delete in a read-only folder, but not an immutable file.
    const QFile::Permissions open = QFile::permissions(m_folder.path());
    if (root)
        ASSERT_EQ(std::system(("chattr +i '" + db + "'").toLocal8Bit().constData()), 0);
    else
        QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    select({"ORDERS"});
    const int deleted = deleteParadoxTables(m_box.list, m_folder.path(), m_host);
    if (root)
        std::system(("chattr -i '" + db + "'").toLocal8Bit().constData());
    else
        QFile::setPermissions(m_folder.path(), open);
    EXPECT_EQ(deleted, 0);
    EXPECT_TRUE(unchanged("ORDERS"));
    EXPECT_EQ(QFile::permissions(db), QFile::permissions(m_folder.file("CUSTOMER.DB")));
    const auto reports = m_host.prompts.errorReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].startsWith(QString::fromLocal8Bit(strerror(root ? EPERM : EACCES)) +
                                      ": " + db +
                                      "\r\nin Verandi2021/08/31.Form2."
                                      "PushButton5_Click at line 108"))
        << reports[0].toStdString();
    EXPECT_EQ(itemsOf(m_box.list), (QStringList{"CUSTOMER", "ORDERS"}));
}
