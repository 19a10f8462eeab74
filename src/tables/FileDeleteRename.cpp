#include "tables/FileDeleteRename.h"

#include "folders/FolderError.h"
#include "folders/PathEncoding.h"
#include "host/CommandHost.h"
#include "host/ErrorTrap.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace tabulex {

namespace {

constexpr std::size_t kCopyChunk = 1 << 20;
const QString kModule = QStringLiteral("Main");

std::string native(const QString& path)
{
    std::optional<std::string> n = nativePath(path);
    if (!n || n->empty())
        throw FolderError(kBadFileName, QStringLiteral("Bad file name or number"));
    return *n;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes now, so that a failing close is seen.
    int close()
    {
        const int rc = ::close(m_fd);
        m_fd = -1;
        return rc;
    }

private:
    int m_fd;
};

void copyContents(int from, int to, const FileMove& move, CommandHost& host)
{
    std::vector<char> buffer(kCopyChunk);
    for (;;) {
        const ssize_t n = ::read(from, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw FolderError::fromErrno(errno, move.source);
        if (n == 0)
            return;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(to, buffer.data() + done, std::size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w < 0)
                throw FolderError::fromErrno(errno, move.destination);
            done += w;
        }
        host.processEvents();
    }
}

// A path that is unlinked at the end of its scope unless released.
struct TemporaryPath {
    std::string path;
    TemporaryPath() = default;
    TemporaryPath(const TemporaryPath&) = delete;
    TemporaryPath& operator=(const TemporaryPath&) = delete;
    ~TemporaryPath()
    {
        if (!path.empty())
            ::unlink(path.c_str());
    }
};

// A complete copy of a source, written under a hidden name beside its destination and
// removed again unless it is put in place.
class StagedCopy {
public:
    StagedCopy(const FileMove& move, CommandHost& host) : m_move(move)
    {
        const std::string source = native(move.source);
        m_destination = native(move.destination);
        Descriptor from(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
        struct stat st {};
        if (from.get() < 0 || ::fstat(from.get(), &st) != 0)
            throw FolderError::fromErrno(errno, move.source);
        if (S_ISDIR(st.st_mode))
            throw FolderError::fromErrno(EISDIR, move.source);
        const auto slash = m_destination.rfind('/');
        std::string name =
            (slash == std::string::npos ? std::string() : m_destination.substr(0, slash + 1)) +
            ".tabulex-copy-XXXXXX";
        Descriptor to(::mkostemp(name.data(), O_CLOEXEC));
        if (to.get() < 0)
            throw FolderError::fromErrno(errno, move.destination);
        m_temp.path = name;
        copyContents(from.get(), to.get(), move, host);
        if (::fchmod(to.get(), st.st_mode & 07777) != 0 || ::fsync(to.get()) != 0 ||
            to.close() != 0)
            throw FolderError::fromErrno(errno, move.destination);
    }
    StagedCopy(const StagedCopy&) = delete;
    StagedCopy& operator=(const StagedCopy&) = delete;

    void commit()
    {
        if (::rename(m_temp.path.c_str(), m_destination.c_str()) != 0)
            throw FolderError::fromErrno(errno, m_move.destination);
        m_temp.path.clear();
    }

private:
    FileMove m_move;
    std::string m_destination;
    TemporaryPath m_temp;
};

void renameInPlace(const FileMove& move)
{
    if (move.source == move.destination)
        return;
    if (::rename(native(move.source).c_str(), native(move.destination).c_str()) != 0)
        throw FolderError::fromErrno(errno, move.destination);
}

} // namespace

bool sameFile(const QString& a, const QString& b)
{
    const auto na = nativePath(a);
    const auto nb = nativePath(b);
    struct stat sa {
    }, sb{};
    return na && nb && ::stat(na->c_str(), &sa) == 0 && ::stat(nb->c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void forceDeleteFile(const QString& path)
{
    const std::string p = native(path);
    struct stat st {};
    const bool madeWritable = ::lstat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                              ::chmod(p.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
    if (::unlink(p.c_str()) != 0) {
        const int error = errno;
        if (madeWritable) // a file that stays keeps its mode
            ::chmod(p.c_str(), st.st_mode & 07777);
        throw FolderError::fromErrno(error, path);
    }
}

void removeFile(const QString& path, CommandHost& host)
{
    host.processEvents();
    const std::optional<std::string> p = nativePath(path);
    if (p && ::unlink(p->c_str()) == 0)
        return;
    try {
        forceDeleteFile(path);
    } catch (...) {
        // The file stays; callers look for it afterwards where it matters.
    }
}

bool renameFile(const std::vector<FileMove>& moves, CommandHost& host)
{
    ErrorTrap trap(host.prompter(), kModule, QStringLiteral("RenameFile"));
    std::vector<std::unique_ptr<StagedCopy>> copies;
    std::vector<const FileMove*> inPlace;
    const bool staged = trap.step(100, [&] {
        for (const FileMove& move : moves) {
            if (sameFile(move.source, move.destination))
                inPlace.push_back(&move);
            else
                copies.push_back(std::make_unique<StagedCopy>(move, host));
        }
    });
    if (!staged)
        return false;
    const bool placed = trap.step(102, [&] {
        for (auto& copy : copies)
            copy->commit();
        for (const FileMove* move : inPlace)
            renameInPlace(*move);
    });
    if (!placed)
        return false;
    for (const FileMove& move : moves) {
        if (std::find(inPlace.begin(), inPlace.end(), &move) == inPlace.end())
            removeFile(move.source, host);
    }
    return true;
}

bool renameFile(const QString& source, const QString& destination, CommandHost& host)
{
    return renameFile(std::vector<FileMove>{{source, destination}}, host);
}

} // namespace tabulex
