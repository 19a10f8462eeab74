#include "settings/Settings.h"
#include "settings/SettingsKeys.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tabulex;

namespace {

unsigned fileMode(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return 0;
    return st.st_mode & 0777;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(Settings::filePath()); }
};

} // namespace

TEST_F(SettingsTest, LivesInTheUsersConfigFolder)
{
    EXPECT_EQ(Settings::filePath(),
              qEnvironmentVariable("XDG_CONFIG_HOME") + "/Quorvane/Quorvane.ini");
    Settings::write(keys::Server, "db01");
    QFile f(Settings::filePath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_TRUE(text.contains("[Tabulex]"));
    EXPECT_TRUE(text.contains("Server=db01"));
}

TEST_F(SettingsTest, MissingKeysGiveTheirDefaults)
{
    EXPECT_EQ(Settings::read(keys::Port), "1433");
    EXPECT_EQ(Settings::read(keys::LocalConnection), "0");
    EXPECT_EQ(Settings::read(keys::LastFolderDot), "");
    EXPECT_FALSE(QFileInfo::exists(Settings::filePath())) << "reading created the file";
    Settings::write(keys::Port, "");
    EXPECT_EQ(Settings::read(keys::Port), ""); // a stored empty value
}

TEST_F(SettingsTest, TextComesBackExactly)
{
    const QString values[] = {
        "",          "a;b=c",       "\"quoted\"",           "'single'",    "back\\slash",
        " padded ",  "comma, list", "@Variant(not really)", "@",           "%41 percent",
        "[Section]", "line\nbreak", "# not a comment",      "Пароль密码Λ", "x=1;Pwd={y}",
    };
    for (const QString& v : values) {
        for (const SettingKey& key : {keys::Password, keys::LocalConnection, keys::ParadoxFolder}) {
            Settings::write(key, v);
            EXPECT_EQ(Settings::read(key), v) << key.text.toStdString() << ": " << v.toStdString();
        }
    }
}

TEST_F(SettingsTest, FileStaysPrivateAfterEveryWrite)
{
    Settings::write(keys::Password, "first");
    EXPECT_EQ(fileMode(Settings::filePath()), 0600u);
    EXPECT_EQ(fileMode(QFileInfo(Settings::filePath()).absolutePath()) & 0077, 0u);
    for (const char* value : {"second", "third"}) {
        ::chmod(QFile::encodeName(Settings::filePath()).constData(), 0644);
        Settings::write(keys::Password, value);
        EXPECT_EQ(fileMode(Settings::filePath()), 0600u) << value;
    }
}

TEST_F(SettingsTest, ReadsAfreshEveryTime)
{
    Settings::write(keys::Server, "before");
    EXPECT_EQ(Settings::read(keys::Server), "before");
    QFile f(Settings::filePath());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("[Tabulex]\nServer=changed outside\n");
    f.close();
    EXPECT_EQ(Settings::read(keys::Server), "changed outside");
}
