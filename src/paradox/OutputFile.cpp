#include "paradox/OutputFile.h"

#include "paradox/Error.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>

namespace paradox {

namespace {

constexpr std::size_t kBufferSize = 1 << 18;

std::string randomSuffix() {
    static constexpr char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static thread_local std::mt19937 gen{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, int(sizeof kChars) - 2);
    std::string s;
    for (int i = 0; i < 6; ++i)
        s.push_back(kChars[pick(gen)]);
    return s;
}

} // namespace

OutputFile::OutputFile(const std::filesystem::path& folder, const std::string& stem,
                       std::string table)
    : m_table(std::move(table)) {
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_path = folder / ("~" + stem + "-" + randomSuffix() + ".tmp");
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            fail("cannot create a file in " + folder.string());
    }
    if (m_fd < 0)
        fail("cannot find a free temporary name in " + folder.string());
    m_buffer.reserve(kBufferSize);
}

OutputFile::~OutputFile() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_published && !m_path.empty())
        ::unlink(m_path.c_str());
}

void OutputFile::fail(const std::string& what) const {
    throw Error(m_table, what + ": " + std::strerror(errno));
}

void OutputFile::append(const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    if (m_buffer.size() + n > kBufferSize)
        flush();
    if (n >= kBufferSize) {
        m_buffer.assign(p, p + n);
        flush();
    } else {
        m_buffer.insert(m_buffer.end(), p, p + n);
    }
    m_size += n;
}

void OutputFile::appendZeros(std::size_t n) {
    static const unsigned char zeros[4096] = {};
    while (n > 0) {
        const std::size_t k = std::min(n, sizeof zeros);
        append(zeros, k);
        n -= k;
    }
}

void OutputFile::flush() {
    std::size_t done = 0;
    while (done < m_buffer.size()) {
        const ssize_t w =
            ::pwrite(m_fd, m_buffer.data() + done, m_buffer.size() - done, off_t(m_flushed + done));
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            fail("cannot write " + m_path.filename().string());
        done += std::size_t(w);
    }
    m_flushed += m_buffer.size();
    m_buffer.clear();
}

void OutputFile::writeAt(std::uint64_t offset, const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    // Bytes still in the buffer are patched there; the rest goes straight to the file.
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint64_t at = offset + i;
        if (at >= m_flushed) {
            m_buffer[std::size_t(at - m_flushed)] = p[i];
            continue;
        }
        std::size_t run = 1;
        while (i + run < n && offset + i + run < m_flushed)
            ++run;
        if (::pwrite(m_fd, p + i, run, off_t(at)) != ssize_t(run))
            fail("cannot write " + m_path.filename().string());
        i += run - 1;
    }
}

void OutputFile::finish(bool durable) {
    flush();
    if (durable && ::fsync(m_fd) != 0)
        fail("cannot write " + m_path.filename().string() + " to disk");
    if (::close(m_fd) != 0) {
        m_fd = -1;
        fail("cannot write " + m_path.filename().string());
    }
    m_fd = -1;
}

void OutputFile::publish(const std::filesystem::path& target) {
    if (::rename(m_path.c_str(), target.c_str()) != 0)
        fail("cannot rename " + m_path.filename().string() + " to " + target.filename().string());
    m_published = true;
}

void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace paradox
