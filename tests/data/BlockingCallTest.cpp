// Calls that wait on the server, as the front ends wait for them: a stop ends them.
#include "data/BlockingCall.h"
#include "StandinServer.h"
#include "core/DataError.h"
#include "core/StopRequest.h"
#include "data/Connection.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace tabulex;
using namespace tabulex::test;

namespace {

using Clock = std::chrono::steady_clock;

// Calls wait on a thread of their own; the first time the caller waits, the program closes.
class BlockingCallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<StandinServer>(); }
    static void TearDownTestSuite() { s_server.reset(); }
    void SetUp() override
    {
        s_server->reset();
        waitForCallsWith([this] {
            ++m_waits;
            if (m_stopWhileWaiting)
                requestStop();
        });
    }

    static inline std::unique_ptr<StandinServer> s_server;
    int m_waits = 0;
    bool m_stopWhileWaiting = false;
};

} // namespace

TEST_F(BlockingCallTest, TheCallerKeepsRunningWhileTheServerThinks)
{
    Connection c;
    c.open(s_server->connectionString());
    s_server->control("delay 300 SELECT");
    c.execute("SELECT 1");
    EXPECT_GT(m_waits, 0);
}

TEST_F(BlockingCallTest, AStopEndsAStatementAtOnceAndOnlyTheCleanupRunsAfterIt)
{
    Connection c;
    c.open(s_server->connectionString());
    c.execute("CREATE TABLE [Half] (n int)");
    s_server->control("delay 60000 INSERT");
    m_stopWhileWaiting = true;
    const auto start = Clock::now();
    EXPECT_THROW(c.execute("INSERT INTO [Half] VALUES(1)"), CommandStopped);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_THROW(c.execute("SELECT 1"), CommandStopped);
    // The server took the cancel: the connection is still there for the cleanup.
    {
        const CleanupAfterStop cleanup;
        c.execute("DROP TABLE [Half]");
    }
    clearStopRequest();
    EXPECT_THROW(s_server->query("SELECT * FROM [Half]"), DataError);
}

TEST_F(BlockingCallTest, AStopLeavesALoginToItself)
{
    s_server->control("delay_login 60000");
    m_stopWhileWaiting = true;
    const auto start = Clock::now();
    Connection c;
    EXPECT_THROW(c.open(s_server->connectionString()), CommandStopped);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
    EXPECT_EQ(c.state(), ado::adStateClosed);
}
