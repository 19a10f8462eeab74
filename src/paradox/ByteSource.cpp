#include "paradox/ByteSource.h"

#include "paradox/Error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace paradox {

void ByteSource::readExact(std::uint64_t offset, void* buffer, std::size_t n,
                           const std::string& table, const char* what) {
    if (readAt(offset, buffer, n) != n)
        throw Error(table, std::string("the file ends inside ") + what);
}

FileSource::FileSource(const std::filesystem::path& path) : m_name(path.filename().string()) {
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (m_fd < 0)
        throw Error(m_name, std::string("cannot open the file: ") + std::strerror(errno));
    struct stat st {};
    std::string problem;
    if (::fstat(m_fd, &st) != 0)
        problem = std::string("cannot read the file: ") + std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        problem = "not a regular file";
    if (!problem.empty()) {
        ::close(m_fd);
        throw Error(m_name, problem);
    }
    m_size = std::uint64_t(st.st_size);
}

FileSource::~FileSource() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::size_t FileSource::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(m_fd, out + done, n - done, off_t(offset + done));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw Error(m_name, std::string("cannot read the file: ") + std::strerror(errno));
        }
        if (got == 0)
            break;
        done += std::size_t(got);
    }
    return done;
}

std::size_t MemorySource::readAt(std::uint64_t offset, void* buffer, std::size_t n) {
    if (offset >= m_size)
        return 0;
    const std::size_t count = std::min<std::uint64_t>(n, m_size - offset);
    std::memcpy(buffer, m_data + offset, count);
    return count;
}

} // namespace paradox
