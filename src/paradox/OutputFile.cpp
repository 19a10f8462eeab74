#include "paradox/OutputFile.h"

#include "paradox/Error.h"
#include "paradox/FolderLock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string_view>

namespace paradox {

namespace {

constexpr std::size_t kBufferSize = 1 << 18;
constexpr std::string_view kTemporaryExtension = ".tmp";
constexpr std::size_t kSuffixLength = 6;

// ".tabulex-copy-XXXXXX", a copy made for a rename across file systems (mkstemp's letters).
bool isCopyName(std::string_view name)
{
    constexpr std::string_view prefix = ".tabulex-copy-";
    return name.size() == prefix.size() + kSuffixLength && name.starts_with(prefix) &&
           std::all_of(name.begin() + prefix.size(), name.end(), [](char c) {
               return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
           });
}

// "~<stem>-XXXXXX.tmp", the names this file gives.
bool isTemporaryName(std::string_view name)
{
    const std::size_t tail = 1 + kSuffixLength + kTemporaryExtension.size(); // "-XXXXXX.tmp"
    if (name.size() < 1 + tail || name[0] != '~' || !name.ends_with(kTemporaryExtension) ||
        name[name.size() - tail] != '-')
        return false;
    const std::string_view suffix = name.substr(name.size() - tail + 1, kSuffixLength);
    return std::all_of(suffix.begin(), suffix.end(),
                       [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

// Removes one temporary file when no one holds it locked.
void removeIfDead(int folder, const char* name)
{
    int fd = ::openat(folder, name, O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fd = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat opened {
    }, named{};
    // The name must still be that very file when it goes.
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 &&
        S_ISREG(opened.st_mode) && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        named.st_dev == opened.st_dev && named.st_ino == opened.st_ino)
        ::unlinkat(folder, name, 0);
    ::close(fd);
}

// Gives the file the name `to` unless a file has it; false then. File systems without
// RENAME_NOREPLACE get a hard link, which fails on an existing name just the same, and those
// without hard links a look before the rename, under the folder's lock.
bool renameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return false;
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return false;
    struct stat st {};
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

std::string randomSuffix()
{
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
    : m_table(std::move(table))
{
    const FolderLock creating(folder, FolderLock::Mode::Shared);
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_path = folder / ("~" + stem + "-" + randomSuffix() + ".tmp");
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST)
            fail("cannot create a file in " + folder.string());
    }
    if (m_fd < 0)
        fail("cannot find a free temporary name in " + folder.string());
    // The mark of a live run; a file system without flock just leaves the file unmarked.
    ::flock(m_fd, LOCK_EX | LOCK_NB);
    m_lock = ::dup(m_fd);
    m_buffer.reserve(kBufferSize);
}

OutputFile::~OutputFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_published && !m_path.empty())
        ::unlink(m_path.c_str());
    if (m_lock >= 0)
        ::close(m_lock);
}

void OutputFile::fail(const std::string& what) const
{
    throw Error(m_table, what + ": " + std::strerror(errno));
}

void OutputFile::append(const void* data, std::size_t n)
{
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

void OutputFile::appendZeros(std::size_t n)
{
    static const unsigned char zeros[4096] = {};
    while (n > 0) {
        const std::size_t k = std::min(n, sizeof zeros);
        append(zeros, k);
        n -= k;
    }
}

void OutputFile::flush()
{
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

void OutputFile::writeAt(std::uint64_t offset, const void* data, std::size_t n)
{
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

void OutputFile::finish(bool durable)
{
    flush();
    if (durable && ::fsync(m_fd) != 0)
        fail("cannot write " + m_path.filename().string() + " to disk");
    if (::close(m_fd) != 0) {
        m_fd = -1;
        fail("cannot write " + m_path.filename().string());
    }
    m_fd = -1;
}

bool OutputFile::publish(const std::filesystem::path& target)
{
    if (!renameWithoutReplacing(m_path, target)) {
        if (errno == EEXIST)
            return false;
        fail("cannot rename " + m_path.filename().string() + " to " + target.filename().string());
    }
    m_published = true;
    return true;
}

void removeDeadTemporaryFiles(const std::filesystem::path& folder)
{
    const FolderLock clearing(folder, FolderLock::Mode::Exclusive);
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), &::closedir);
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir.get()))
        if (isTemporaryName(entry->d_name) || isCopyName(entry->d_name))
            removeIfDead(::dirfd(dir.get()), entry->d_name);
}

void syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace paradox
