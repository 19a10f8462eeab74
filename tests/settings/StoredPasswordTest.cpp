#include "settings/StoredPassword.h"
#include "settings/Settings.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tabulex;

namespace {

// A secret store in memory that keeps one password, as the program uses the real one.
class FakeSecretStore : public SecretStore {
public:
    bool running = true;
    bool failing = false;
    std::optional<std::pair<SecretLogin, QString>> item;
    int writes = 0;

    bool available() override { return running; }
    std::optional<QString> lookup(const SecretLogin& login) override
    {
        if (item && item->first == login)
            return item->second;
        return std::nullopt;
    }
    bool store(const SecretLogin& login, const QString& password) override
    {
        ++writes;
        if (failing)
            return false;
        item = {login, password};
        return true;
    }
    bool clear() override
    {
        ++writes;
        if (failing)
            return false;
        item.reset();
        return true;
    }
};

QString settingsText()
{
    QFile f(Settings::filePath());
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

class StoredPasswordTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QFile::remove(Settings::filePath());
        Settings::write(keys::Server, "db01");
        Settings::write(keys::Database, "shop");
        Settings::write(keys::User, "sa");
    }
    FakeSecretStore m_store;
    const SecretLogin m_login{"db01", "shop", "sa"};
};

} // namespace

TEST_F(StoredPasswordTest, APasswordInTheFileMovesIntoTheStoreAtTheFirstStartThatHasOne)
{
    // Written where no store ran: it stays in the file, as it always did.
    m_store.running = false;
    StoredPassword(m_store).write("Secret#1");
    EXPECT_TRUE(settingsText().contains("Password=Secret#1"));
    EXPECT_EQ(StoredPassword(m_store).read(), "Secret#1");
    EXPECT_FALSE(m_store.item);

    m_store.running = true;
    EXPECT_EQ(StoredPassword(m_store).read(), "Secret#1");
    ASSERT_TRUE(m_store.item);
    EXPECT_EQ(m_store.item->first, m_login);
    EXPECT_EQ(m_store.item->second, "Secret#1");
    EXPECT_FALSE(Settings::contains(keys::Password));
    EXPECT_FALSE(settingsText().contains("Secret#1"));
    // The next start finds it in the store.
    EXPECT_EQ(StoredPassword(m_store).read(), "Secret#1");
}

TEST_F(StoredPasswordTest, ThePasswordFollowsItsLoginAndAnEchoWritesNothing)
{
    StoredPassword password(m_store);
    EXPECT_EQ(password.read(), "");
    password.write("Secret#1");
    EXPECT_EQ(m_store.writes, 1);
    // The box echoing what was read writes nothing.
    password.write("Secret#1");
    password.loginChanged();
    EXPECT_EQ(m_store.writes, 1);
    Settings::write(keys::Server, "db02");
    password.loginChanged();
    ASSERT_TRUE(m_store.item);
    EXPECT_EQ(m_store.item->first.server, "db02");
    EXPECT_EQ(StoredPassword(m_store).read(), "Secret#1");
    password.write("");
    EXPECT_FALSE(m_store.item);
    EXPECT_FALSE(Settings::contains(keys::Password));
}

TEST_F(StoredPasswordTest, AStoreThatFailsLeavesThePasswordInTheFile)
{
    Settings::write(keys::Password, "old");
    m_store.failing = true;
    StoredPassword password(m_store);
    EXPECT_EQ(password.read(), "old");
    EXPECT_EQ(Settings::read(keys::Password), "old");
    password.write("new");
    EXPECT_EQ(Settings::read(keys::Password), "new");
}
