// The folder walk behind the Paradox table list.
#include "folders/FolderWalk.h"

#include "folders/DirectoryReader.h"
#include "folders/FileTests.h"
#include "folders/FolderError.h"
#include "folders/PathEncoding.h"
#include "host/CommandHost.h"
#include "host/ErrorReport.h"
#include "host/ErrorTrap.h"
#include "host/Prompter.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace tabulex {

namespace {

using FolderId = std::pair<dev_t, ino_t>;

std::optional<FolderId> folderId(const QString& path)
{
    const std::optional<std::string> native = nativePath(path);
    struct stat st {};
    if (!native || ::stat(native->c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return std::nullopt;
    return FolderId{st.st_dev, st.st_ino};
}

std::optional<std::string> realPath(const std::string& path)
{
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (!resolved)
        return std::nullopt;
    return std::string(resolved.get());
}

bool acceptableName(const QString& name)
{
    return name.size() < kMaxPathLength && !hasInvalidChars(name);
}

// One walk: remembers every folder it has listed or added, so that links cannot make it
// list a folder twice or return one twice.
class FolderWalk {
public:
    explicit FolderWalk(CommandHost& host) : m_host(host) {}

    void start(QStringList& folders, bool recurse)
    {
        for (const QString& p : std::as_const(folders)) {
            if (const auto id = folderId(p))
                m_added.insert(*id);
            if (const auto real = realPath(nativePath(p).value_or(std::string())))
                m_roots.push_back(*real);
        }
        walk(folders, recurse);
    }

private:
    void walk(QStringList& folders, bool recurse);
    void listSubfolders(const QString& parent, QStringList& found);
    std::optional<QString> subfolder(const QString& parent, const DirectoryReader& reader,
                                     const dirent& entry);
    bool leadsInside(const QString& parent, const char* name) const;
    template <typename F> void underMainTrap(int line, F&& f);

    CommandHost& m_host;
    std::set<FolderId> m_listed;
    std::set<FolderId> m_added;
    std::vector<std::string> m_roots; // the folders given, links resolved
};

// True when a symbolic link in parent leads to a folder at or below one of the roots.
bool FolderWalk::leadsInside(const QString& parent, const char* name) const
{
    const std::optional<std::string> target =
        realPath(nativePath(parent).value_or(std::string()) + '/' + name);
    return target && std::any_of(m_roots.begin(), m_roots.end(), [&](const std::string& root) {
               return *target == root || root == "/" ||
                      (target->size() > root.size() && target->compare(0, root.size(), root) == 0 &&
                       (*target)[root.size()] == '/');
           });
}

template <typename F> void FolderWalk::underMainTrap(int line, F&& f)
{
    try {
        std::forward<F>(f)();
    } catch (const std::exception& e) {
        m_host.prompter().errorReport(folderWalkErrorReportText(describe(e), line));
    }
}

void FolderWalk::walk(QStringList& folders, bool recurse)
{
    QStringList found;
    // A copy: entries removed below must not disturb the loop.
    const QStringList entries = folders;
    for (const QString& p : entries) {
        if (!isFolder(p) || p.size() >= kMaxPathLength)
            continue;
        m_host.processEvents();
        try {
            listSubfolders(p, found);
        } catch (const FolderError& e) {
            if (e.number() == kPermissionDenied || e.number() == kPathNotFound)
                folders.removeOne(p);
        } catch (const std::exception&) {
            // Any other failure ends the work on this entry, without a message.
        }
    }
    if (recurse && !found.isEmpty())
        walk(found, true);
    for (const QString& q : std::as_const(found)) {
        underMainTrap(110, [&] {
            if (isFolder(q)) {
                m_host.processEvents();
                folders.append(q);
            }
        });
    }
}

void FolderWalk::listSubfolders(const QString& parent, QStringList& found)
{
    const std::optional<FolderId> id = folderId(parent);
    if (id && !m_listed.insert(*id).second)
        return;
    DirectoryReader reader(parent);
    while (const dirent* entry = reader.next()) {
        m_host.processEvents();
        if (std::optional<QString> path = subfolder(parent, reader, *entry))
            found.append(*path);
    }
}

// The path of entry when it is a folder (or a link to one) that the walk takes and has not
// taken before.
std::optional<QString> FolderWalk::subfolder(const QString& parent, const DirectoryReader& reader,
                                             const dirent& entry)
{
    if (entry.d_type != DT_DIR && entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return std::nullopt;
    const QString name = decodedName(entry.d_name);
    if (!acceptableName(name))
        return std::nullopt;
    struct stat st {};
    if (::fstatat(reader.fd(), entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
        // A folder we cannot look into makes the parent unreadable.
        if (entry.d_type == DT_DIR)
            throw FolderError::fromErrno(errno, parent + u'/' + name);
        return std::nullopt;
    }
    // A link is taken only to a folder inside the chosen one; one leading nowhere is skipped.
    if (S_ISLNK(st.st_mode) &&
        (!leadsInside(parent, entry.d_name) || ::fstatat(reader.fd(), entry.d_name, &st, 0) != 0))
        return std::nullopt;
    if (!S_ISDIR(st.st_mode) || !m_added.insert({st.st_dev, st.st_ino}).second)
        return std::nullopt;
    return (parent.endsWith(u'/') ? parent : parent + u'/') + name + u'/';
}

} // namespace

bool hasInvalidChars(const QString& name)
{
    for (const char32_t c : name.toUcs4()) {
        if (c < 32 || (c >= 127 && c <= 159) || c == U'?')
            return true;
    }
    return false;
}

void appendSubfolders(QStringList& folders, bool recurse, CommandHost& host)
{
    FolderWalk walk(host);
    walk.start(folders, recurse);
}

} // namespace tabulex
