#include "FolderTestSupport.h"
#include "folders/FileListing.h"
#include "folders/FileTests.h"
#include "folders/FolderError.h"
#include "folders/FolderWalk.h"
#include "folders/PathEncoding.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace tabulex;
using tabulex::test::asSet;
using tabulex::test::Locked;

namespace {

void touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

class FindFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(FindFilesTest, MatchesTheExtensionInAnyCaseWithHiddenFilesAndWithoutFolders)
{
    for (const char* name : {"x.DB", "y.Db", "z.db", ".hidden.db", "w.dbf", "v.db.bak", "db",
                             "notes.txt", "Ελληνικά.db", "Кириллица.DB", "中文资料.db"})
        touch(path(name));
    QDir(m_dir.path()).mkdir("folder.db");
    QFile::link(path("z.db"), path("link.db"));
    QFile::link(path("missing"), path("dangling.db"));

    const QSet<QString> expected{"x.DB",    "y.Db",        "z.db",         ".hidden.db",
                                 "link.db", "Ελληνικά.db", "Кириллица.DB", "中文资料.db"};
    EXPECT_EQ(asSet(findFiles(m_dir.path(), "*.db")), expected);
    // With or without the trailing separator the folder is the same.
    EXPECT_EQ(asSet(findFiles(m_dir.path() + "/", "*.db")), expected);
    EXPECT_EQ(findFiles(m_dir.path(), "*.db").size(), expected.size());
}

// Names written in a Windows code page are listed as code page 1252 shows them, beside a
// UTF-8 name of another spelling, and their text leads back to their own bytes.
TEST_F(FindFilesTest, NamesThatAreNotUtf8AreListedAndLeadBackToTheirFile)
{
    const std::string folder = QFile::encodeName(m_dir.path()).toStdString() + '/';
    ASSERT_EQ(::mkdir((folder + "d\xe9p\xf4t").c_str(), 0700), 0);
    for (const char* name :
         {"caf\xe9.db", "caf\xc3\xa8.db", "\x80\x81\x9f.DB", "d\xe9p\xf4t/in.db"})
        std::ofstream(folder + name) << "x";
    const QString cafe = QString::fromUtf8("café.db");
    const QString c1 = QString::fromUtf8("\u20ac\u0081\u0178.DB");
    EXPECT_EQ(asSet(findFiles(m_dir.path(), "*.db")),
              (QSet<QString>{cafe, QString::fromUtf8("cafè.db"), c1}));
    const QString depot = m_dir.path() + QString::fromUtf8("/dépôt");
    EXPECT_EQ(findFiles(depot, "*.db"), QStringList{"in.db"});
    for (const auto& [text, bytes] : {std::pair{m_dir.path() + '/' + cafe, folder + "caf\xe9.db"},
                                      {m_dir.path() + '/' + c1, folder + "\x80\x81\x9f.DB"},
                                      {depot + "/in.db", folder + "d\xe9p\xf4t/in.db"},
                                      {depot + "/new.db", folder + "d\xe9p\xf4t/new.db"}})
        EXPECT_EQ(nativePath(text), bytes) << text.toStdString();
    EXPECT_TRUE(isFile(depot + "/in.db"));
    EXPECT_EQ(decodedPath(folder + "d\xe9p\xf4t/in.db"), depot + "/in.db");
}

TEST_F(FindFilesTest, ReturnsEveryOneOf150Tables)
{
    QSet<QString> expected;
    for (int i = 0; i < 150; ++i) {
        const QString name = QString("t%1.db").arg(i, 3, 10, QChar('0'));
        touch(path(name));
        expected.insert(name);
    }
    touch(path("readme.txt"));
    const QStringList names = findFiles(m_dir.path(), "*.db");
    EXPECT_EQ(names.size(), 150);
    EXPECT_EQ(asSet(names), expected);
}

TEST_F(FindFilesTest, WildcardsAreTheWindowsOnesOnly)
{
    for (const char* name : {"a.db", "ab.db", "t+1.db", "t11.db", "[x].db", "x.db"})
        touch(path(name));
    EXPECT_EQ(asSet(findFiles(m_dir.path(), "?.db")), (QSet<QString>{"a.db", "x.db"}));
    EXPECT_EQ(findFiles(m_dir.path(), "t+1.db"), QStringList{"t+1.db"});
    EXPECT_EQ(findFiles(m_dir.path(), "[x].db"), QStringList{"[x].db"});
}

TEST_F(FindFilesTest, FoldersWithoutFilesGiveAnEmptyList)
{
    touch(path("plain.txt"));
    EXPECT_TRUE(findFiles(m_dir.path(), "*.db").isEmpty());
    EXPECT_TRUE(findFiles(path("no such folder"), "*.db").isEmpty());
    EXPECT_TRUE(findFiles(path("plain.txt"), "*.db").isEmpty()); // a file, not a folder
}

TEST_F(FindFilesTest, UnreadableFolderHoldsNoFiles)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "running as root, which reads every folder whatever its mode";
    QDir(m_dir.path()).mkdir("locked");
    touch(path("locked/t.db"));
    Locked locked(path("locked"));
    EXPECT_TRUE(findFiles(path("locked"), "*.db").isEmpty());
}

TEST_F(FindFilesTest, PathsTheFileSystemRejectsRaiseAnError)
{
    const QString tooLong = path(QString(300, 'n'));
    EXPECT_THROW(findFiles(tooLong, "*.db"), FolderError);
    try {
        findFiles(m_dir.path() + QChar(u'\0') + "x", "*.db");
        ADD_FAILURE() << "a NUL character in the path was not refused";
    } catch (const FolderError& e) {
        EXPECT_EQ(e.number(), kBadFileName);
    }
}

TEST(FileTests, FilesFoldersAndLinks)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("t.db");
    const QString folder = dir.filePath("sub");
    touch(file);
    QDir(dir.path()).mkdir("sub");
    QFile::link(file, dir.filePath("file-link"));
    QFile::link(folder, dir.filePath("folder-link"));
    QFile::link(dir.filePath("gone"), dir.filePath("dangling"));

    struct Row {
        QString path;
        bool isFile, isFolder, exists;
    };
    const Row rows[] = {
        {file, true, false, true},
        {folder, false, true, true},
        {folder + "/", false, true, true},
        {dir.filePath("file-link"), true, false, true},
        {dir.filePath("folder-link"), false, true, true},
        {dir.filePath("dangling"), false, false, false},
        {dir.filePath("missing"), false, false, false},
        {file + "/x", false, false, false},
        {QString(), false, false, false},
        {file + QChar(u'\0'), false, false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path.toStdString());
        EXPECT_EQ(isFile(r.path), r.isFile);
        EXPECT_EQ(isFolder(r.path), r.isFolder);
        EXPECT_EQ(pathExists(r.path), r.exists);
    }
}

TEST(HasInvalidChars, ControlCharactersAndQuestionMarkOnly)
{
    struct Row {
        QString name;
        bool invalid;
    };
    const Row rows[] = {
        {"", false},
        {"Orders 2021", false},
        {"what?", true},
        {QString("tab\there"), true},
        {QString(QChar(31)) + "x", true},
        {QString("del") + QChar(127), true},
        {QString("c1") + QChar(0x80), true},
        {QString("c1") + QChar(0x9f), true},
        {QString("nbsp") + QChar(0xa0), false},
        {"Ελληνικά", false},
        {"Кириллица", false},
        {"中文资料", false},
        {QString::fromUtf8("emoji \xF0\x9F\x93\x81"), false},
        {"café", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(hasInvalidChars(r.name), r.invalid) << r.name.toStdString();
}
