#include "paradox/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace paradox {

FolderLock::FolderLock(const std::filesystem::path& folder, Mode mode)
    : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (m_fd < 0)
        return; // whatever comes next in that folder reports the cause
    const int operation = mode == Mode::Shared ? LOCK_SH : LOCK_EX;
    while (::flock(m_fd, operation) != 0 && errno == EINTR) {
    }
}

FolderLock::~FolderLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

} // namespace paradox
