#pragma once

#include <sys/types.h>

#include <optional>
#include <set>

namespace tabulex::odbc {

// The TCP connection FreeTDS opened to the server. FreeTDS does not hand out its socket, so
// it is found among the process's sockets: the one that was not there before the login and
// whose peer is the server's port.
class ServerSocket {
public:
    // The inodes of the process's sockets now.
    static std::set<ino_t> socketsNow();
    // The TCP socket opened since before, connected to port (any port for 0); nothing when
    // there is none or more than one.
    static std::optional<ServerSocket> find(const std::set<ino_t>& before, int port);

    // Keepalive probes and a time-out for unacknowledged data, so that a network gone silent
    // fails the wait within two minutes instead of at FreeTDS's poll time-out.
    void limitSilence() const;
    // From any thread: a call waiting on the connection returns at once, the connection lost.
    void shutDown() const;

    int descriptor() const { return m_fd; }

private:
    ServerSocket(int fd, ino_t inode) : m_fd(fd), m_inode(inode) {}
    // Still the same socket: FreeTDS may have closed it and the number been reused.
    bool isStillOurs() const;

    int m_fd;
    ino_t m_inode;
};

} // namespace tabulex::odbc
