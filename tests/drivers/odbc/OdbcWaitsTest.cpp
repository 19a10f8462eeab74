// Waits on the network end: a login to a server that never answers, and a connection whose
// network goes silent.
#include "SilentListener.h"
#include "StandinTestBase.h"
#include "core/DataError.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <dirent.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>
#include <thread>

using namespace tabulex;
using namespace tabulex::test;

namespace {

// The descriptors of this process's TCP sockets connected to port.
std::vector<int> socketsTo(int port)
{
    std::vector<int> out;
    DIR* dir = ::opendir("/proc/self/fd");
    while (const dirent* e = dir ? ::readdir(dir) : nullptr) {
        const int fd = std::atoi(e->d_name);
        sockaddr_in peer{};
        socklen_t len = sizeof peer;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISSOCK(st.st_mode) &&
            ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len) == 0 &&
            peer.sin_family == AF_INET && ntohs(peer.sin_port) == port)
            out.push_back(fd);
    }
    if (dir)
        ::closedir(dir);
    return out;
}

int option(int fd, int level, int name)
{
    int value = -1;
    socklen_t len = sizeof value;
    ::getsockopt(fd, level, name, &value, &len);
    return value;
}

class OdbcWaitsTest : public StandinTest {};

} // namespace

TEST(OdbcWaits, ALoginToAServerThatNeverAnswersEndsAtItsTimeOut)
{
    SilentListener silent;
    ASSERT_NE(silent.port(), 0);
    const QString cs = QStringLiteral("Driver={SQL Server};Server=127.0.0.1,%1;Database=d;Uid=u;"
                                      "Pwd=p;")
                           .arg(silent.port());
    // The login runs on a thread of its own, left behind should it never end.
    auto failed = std::make_shared<std::promise<bool>>();
    std::future<bool> ended = failed->get_future();
    std::thread([cs, failed] {
        try {
            Connection c;
            c.connectionTimeout = 2;
            c.open(cs);
            failed->set_value(false);
        } catch (const DataError&) {
            failed->set_value(true);
        }
    }).detach();
    ASSERT_EQ(ended.wait_for(std::chrono::seconds(40)), std::future_status::ready)
        << "the login did not end at its time-out";
    EXPECT_TRUE(ended.get());
}

TEST_F(OdbcWaitsTest, AConnectionGivesUpOnASilentNetworkWithinTwoMinutes)
{
    const auto c = connect();
    const std::vector<int> sockets = socketsTo(server().port());
    ASSERT_FALSE(sockets.empty());
    for (int fd : sockets) {
        EXPECT_EQ(option(fd, SOL_SOCKET, SO_KEEPALIVE), 1);
        // Unanswered keepalive probes and unacknowledged data both end it.
        const int probing =
            option(fd, IPPROTO_TCP, TCP_KEEPIDLE) +
            option(fd, IPPROTO_TCP, TCP_KEEPINTVL) * option(fd, IPPROTO_TCP, TCP_KEEPCNT);
        EXPECT_LE(probing, 120);
        const int unacknowledged = option(fd, IPPROTO_TCP, TCP_USER_TIMEOUT);
        EXPECT_GT(unacknowledged, 0);
        EXPECT_LE(unacknowledged, 120 * 1000);
    }
}
