#include "folders/FolderWalk.h"
#include "FolderTestSupport.h"
#include "TestHost.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace tabulex;
using tabulex::test::asSet;
using tabulex::test::Locked;

namespace {

class FolderWalkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path() + "/";
    }
    // The walk reports nothing for anything these tests build.
    void TearDown() override { EXPECT_TRUE(m_host.prompts.prompts.empty()); }

    void mkdirs(std::initializer_list<QString> paths)
    {
        for (const QString& p : paths)
            ASSERT_TRUE(QDir().mkpath(m_root + p)) << p.toStdString();
    }
    QStringList walk(bool recurse) { return walk(QStringList{m_root}, recurse); }
    QStringList walk(QStringList folders, bool recurse)
    {
        appendSubfolders(folders, recurse, m_host);
        return folders;
    }
    QStringList under(std::initializer_list<QString> names) const
    {
        QStringList out;
        for (const QString& n : names)
            out << m_root + n;
        return out;
    }

    QTemporaryDir m_dir;
    QString m_root;
    test::TestHost m_host;
};

} // namespace

TEST_F(FolderWalkTest, AddsSubfoldersLevelByLevel)
{
    mkdirs({"a/a1/a11", "b/b1", "c"});
    QFile(m_root + "a/t.db").open(QIODevice::WriteOnly);

    const QStringList all = walk(true);
    ASSERT_EQ(all.size(), 7) << all.join(' ').toStdString();
    EXPECT_EQ(all[0], m_root);
    EXPECT_EQ(asSet(all.mid(1, 3)), asSet(under({"a/", "b/", "c/"})));
    EXPECT_EQ(asSet(all.mid(4, 2)), asSet(under({"a/a1/", "b/b1/"})));
    EXPECT_EQ(all[6], m_root + "a/a1/a11/");
    // The second level is grouped in the order of its parents.
    EXPECT_EQ(all.indexOf(m_root + "a/") < all.indexOf(m_root + "b/"),
              all.indexOf(m_root + "a/a1/") < all.indexOf(m_root + "b/b1/"));
    EXPECT_GT(m_host.eventsProcessed, 0) << "the walk let pending events run";

    const QStringList first = walk(false);
    ASSERT_EQ(first.size(), 4);
    EXPECT_EQ(first[0], m_root);
    EXPECT_EQ(asSet(first.mid(1)), asSet(under({"a/", "b/", "c/"})));
}

TEST_F(FolderWalkTest, EntriesWithoutSubfoldersOrThatDoNotExistStayAsTheyAre)
{
    EXPECT_EQ(walk(true), QStringList{m_root});
    const QStringList start{m_root + "missing/", m_root};
    EXPECT_EQ(walk(start, true), start);
}

TEST_F(FolderWalkTest, SkipsNamesWithControlCharactersOrQuestionMarks)
{
    mkdirs({"bad?name", QString("ctl") + QChar(1), QString("c1") + QChar(0x85), "Ελληνικά",
            "Кириллица", "中文资料", ".hidden"});
    const QStringList all = walk(true);
    EXPECT_EQ(asSet(all), asSet(under({"", "Ελληνικά/", "Кириллица/", "中文资料/", ".hidden/"})));
}

TEST_F(FolderWalkTest, UnreadableFoldersAreRemovedAndTheirSiblingsKept)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root, which reads every folder whatever its mode";
    mkdirs({"locked/inner", "open/sub"});
    Locked locked(m_root + "locked");

    EXPECT_EQ(asSet(walk(true)), asSet(under({"", "open/", "open/sub/"})));
    // Without recursion the unreadable folder is never listed, so it stays.
    EXPECT_EQ(asSet(walk(false)), asSet(under({"", "locked/", "open/"})));
    // An unreadable start folder is removed from the list that held it.
    EXPECT_EQ(walk(under({"locked/", "open/"}), false), under({"open/", "open/sub/"}));
}

TEST_F(FolderWalkTest, FollowsLinksInsideTheFolderOnlyAndNeverListsAFolderTwice)
{
    mkdirs({"a/b", "c"});
    QTemporaryDir outside;
    ASSERT_TRUE(QDir().mkpath(outside.path() + "/e/f"));
    QFile::link(m_root, m_root + "a/b/up");             // back to the top
    QFile::link(".", m_root + "a/self");                // to itself
    QFile::link(m_root + "a", m_root + "alias");        // a second name for a
    QFile::link(outside.path() + "/e", m_root + "ext"); // out of the folder
    QFile::link("/", m_root + "c/root");                // the whole file system
    QFile::link(m_root + "gone", m_root + "dangling");

    const QStringList all = walk(true);
    QStringList real;
    for (const QString& p : all)
        real << QFileInfo(p).canonicalFilePath();
    EXPECT_EQ(real.size(), asSet(real).size()) << all.join(' ').toStdString();
    const QString top = QFileInfo(m_root).canonicalFilePath();
    EXPECT_EQ(asSet(real), (QSet<QString>{top, top + "/a", top + "/a/b", top + "/c"}));
}

TEST_F(FolderWalkTest, LongStartPathStaysButIsNotListed)
{
    const QString deep = QString(150, 'x') + "/" + QString(120, 'y') + "/";
    mkdirs({deep + "sub"});
    const QString start = m_root + deep;
    ASSERT_GE(start.size(), kMaxPathLength);
    EXPECT_EQ(walk(QStringList{start}, true), QStringList{start});
    // A long name below the limit is listed.
    mkdirs({QString(250, 'n')});
    EXPECT_TRUE(walk(true).contains(m_root + QString(250, 'n') + "/"));
}
