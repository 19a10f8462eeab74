#include "drivers/odbc/ServerSocket.h"

#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace tabulex::odbc {

namespace {

// A peer that answers nothing for this long, keepalive probes included, ends the connection.
constexpr int kKeepIdleSeconds = 30;
constexpr int kKeepIntervalSeconds = 10;
constexpr int kKeepProbes = 6;
constexpr unsigned kUserTimeoutMs = 90 * 1000;

struct OpenSocket {
    int fd;
    ino_t inode;
};

std::vector<OpenSocket> openSockets()
{
    std::vector<OpenSocket> out;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return out;
    while (const dirent* entry = ::readdir(dir)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        struct stat st {};
        if (end != entry->d_name && *end == '\0' && ::fstat(int(fd), &st) == 0 &&
            S_ISSOCK(st.st_mode))
            out.push_back({int(fd), st.st_ino});
    }
    ::closedir(dir);
    return out;
}

// The peer's port of a connected TCP socket, or -1.
int tcpPeerPort(int fd)
{
    int type = 0;
    socklen_t len = sizeof type;
    if (::getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &len) != 0 || type != SOCK_STREAM)
        return -1;
    sockaddr_storage peer{};
    len = sizeof peer;
    if (::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len) != 0)
        return -1;
    if (peer.ss_family == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in&>(peer).sin_port);
    if (peer.ss_family == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6&>(peer).sin6_port);
    return -1;
}

void setOption(int fd, int level, int name, int value)
{
    ::setsockopt(fd, level, name, &value, sizeof value);
}

} // namespace

std::set<ino_t> ServerSocket::socketsNow()
{
    std::set<ino_t> out;
    for (const OpenSocket& s : openSockets())
        out.insert(s.inode);
    return out;
}

std::optional<ServerSocket> ServerSocket::find(const std::set<ino_t>& before, int port)
{
    std::optional<ServerSocket> found;
    for (const OpenSocket& s : openSockets()) {
        if (before.count(s.inode))
            continue;
        const int peer = tcpPeerPort(s.fd);
        if (peer < 0 || (port > 0 && peer != port))
            continue;
        if (found)
            return std::nullopt; // another login at the same moment: no telling them apart
        found = ServerSocket(s.fd, s.inode);
    }
    return found;
}

void ServerSocket::limitSilence() const
{
    setOption(m_fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    setOption(m_fd, IPPROTO_TCP, TCP_KEEPIDLE, kKeepIdleSeconds);
    setOption(m_fd, IPPROTO_TCP, TCP_KEEPINTVL, kKeepIntervalSeconds);
    setOption(m_fd, IPPROTO_TCP, TCP_KEEPCNT, kKeepProbes);
    setOption(m_fd, IPPROTO_TCP, TCP_USER_TIMEOUT, int(kUserTimeoutMs));
}

bool ServerSocket::isStillOurs() const
{
    struct stat st {};
    return ::fstat(m_fd, &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino == m_inode;
}

void ServerSocket::shutDown() const
{
    if (isStillOurs())
        ::shutdown(m_fd, SHUT_RDWR);
}

} // namespace tabulex::odbc
