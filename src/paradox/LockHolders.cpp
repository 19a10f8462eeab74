#include "paradox/LockHolders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>

namespace paradox {

namespace fs = std::filesystem;

namespace {

struct FileId {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileId&) const = default;
};

// File systems whose files programs on other computers may hold (statfs f_type). FUSE is
// among them: sshfs, gvfs and smbnetfs are FUSE, and nothing tells them from a local one.
constexpr std::array<std::uint32_t, 13> kSharedFileSystems = {
    0xFF534D42, // cifs
    0xFE534D42, // smb2
    0x0000517B, // smbfs
    0x00006969, // nfs
    0x0000564C, // ncpfs
    0x5346414F, // afs
    0x73757245, // coda
    0x00C36400, // ceph
    0x01021997, // 9p
    0x65735546, // fuse
    0x7461636F, // ocfs2
    0x01161970, // gfs2
    0x0BD00BD0, // lustre
};

// Processes through which a program elsewhere, or a Windows or DOS program here, may hold
// a file: file servers and emulators (the prefix of /proc/<pid>/comm).
constexpr std::array<std::string_view, 11> kPossibleHolders = {
    "smbd", "ksmbd", "nfsd", "afpd", "wine", "dosbox", "dosemu", "qemu", "VBox", "vmware", "prl_",
};
// Kernel file servers hold files without a descriptor that /proc shows.
constexpr std::array<std::string_view, 2> kKernelServers = {"nfsd", "ksmbd"};

std::string sharedFileSystemOf(const fs::path& file)
{
    struct statfs st {};
    if (::statfs(file.c_str(), &st) != 0)
        return {};
    const auto type = static_cast<std::uint32_t>(st.f_type);
    if (std::find(kSharedFileSystems.begin(), kSharedFileSystems.end(), type) ==
        kSharedFileSystems.end())
        return {};
    std::ostringstream out;
    out << "0x" << std::hex << type;
    return out.str();
}

bool startsWithAny(const std::string& name, const auto& prefixes)
{
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](std::string_view p) { return name.starts_with(p); });
}

std::string processName(const std::string& pid)
{
    std::ifstream in("/proc/" + pid + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

std::string processText(const std::string& pid)
{
    const std::string name = processName(pid);
    return "process " + pid + (name.empty() ? std::string() : " (" + name + ")");
}

bool isNumber(const char* s)
{
    return *s && std::all_of(s, s + std::char_traits<char>::length(s),
                             [](char c) { return c >= '0' && c <= '9'; });
}

// Every lock of /proc/locks: "1: POSIX  ADVISORY  WRITE 4242 08:02:131268 0 EOF", the pid
// before major:minor:inode (hex, hex, decimal); -1 for an open file description's lock.
std::vector<std::pair<FileId, std::string>> heldLocks()
{
    std::vector<std::pair<FileId, std::string>> locks;
    std::ifstream in("/proc/locks");
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string word;
        std::string previous;
        while (words >> word) {
            unsigned major = 0, minor = 0;
            unsigned long long inode = 0;
            char more = 0;
            if (std::sscanf(word.c_str(), "%x:%x:%llu%c", &major, &minor, &inode, &more) == 3) {
                locks.push_back({{makedev(major, minor), ino_t(inode)}, previous});
                break;
            }
            previous = word;
        }
    }
    return locks;
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

// What the descriptors of every process show of the files: Held by the first process that
// has one open. Processes that could not be looked at are named in `hidden`.
struct ProcessScan {
    bool available = false;
    std::vector<std::string> openedBy; // per file: who has it open, empty for nobody
    std::vector<std::string> hidden;   // possible holders whose descriptors are closed to us
    std::string kernelServer;          // a kernel file server that runs
};

void scanProcess(const std::string& pid, const std::vector<FileId>& ids, ProcessScan& scan)
{
    const std::string name = processName(pid);
    if (startsWithAny(name, kKernelServers))
        scan.kernelServer = name;
    const std::string fdFolder = "/proc/" + pid + "/fd";
    Dir fds(::opendir(fdFolder.c_str()));
    if (!fds) {
        if (errno != ENOENT && startsWithAny(name, kPossibleHolders))
            scan.hidden.push_back(processText(pid));
        return;
    }
    while (const dirent* e = ::readdir(fds.get())) {
        struct stat st {};
        if (!isNumber(e->d_name) || ::stat((fdFolder + '/' + e->d_name).c_str(), &st) != 0)
            continue;
        for (std::size_t i = 0; i < ids.size(); ++i)
            if (scan.openedBy[i].empty() && ids[i] == FileId{st.st_dev, st.st_ino})
                scan.openedBy[i] = processText(pid);
    }
}

ProcessScan scanProcesses(const std::vector<FileId>& ids)
{
    ProcessScan scan;
    scan.openedBy.resize(ids.size());
    Dir proc(::opendir("/proc"));
    if (!proc)
        return scan;
    scan.available = true;
    while (const dirent* e = ::readdir(proc.get()))
        if (isNumber(e->d_name))
            scanProcess(e->d_name, ids, scan);
    return scan;
}

} // namespace

std::vector<Holding> findHolders(const std::vector<fs::path>& files)
{
    std::vector<Holding> out(files.size());
    std::vector<FileId> ids(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        struct stat st {};
        if (::stat(files[i].c_str(), &st) != 0)
            continue; // gone: its program has ended
        ids[i] = {st.st_dev, st.st_ino};
        const std::string shared = sharedFileSystemOf(files[i]);
        if (!shared.empty())
            out[i] = {Holding::State::Unknown,
                      "it lies on a network share (file system " + shared +
                          "), where a program on another computer may hold it"};
    }
    const auto locks = heldLocks();
    const ProcessScan scan = scanProcesses(ids);
    for (std::size_t i = 0; i < files.size(); ++i) {
        Holding& h = out[i];
        if (h.state != Holding::State::None || ids[i] == FileId{})
            continue;
        const auto lock = std::find_if(locks.begin(), locks.end(),
                                       [&](const auto& l) { return l.first == ids[i]; });
        if (lock != locks.end())
            h = {Holding::State::Held,
                 (lock->second == "-1" ? std::string("a process") : processText(lock->second)) +
                     " holds a lock on it"};
        else if (!scan.openedBy[i].empty())
            h = {Holding::State::Held, scan.openedBy[i] + " has it open"};
        else if (!scan.available)
            h = {Holding::State::Unknown, "the processes of this machine cannot be looked at"};
        else if (!scan.kernelServer.empty())
            h = {Holding::State::Unknown, "the kernel file server " + scan.kernelServer +
                                              " runs, and programs on other computers may "
                                              "hold it through it"};
        else if (!scan.hidden.empty())
            h = {Holding::State::Unknown,
                 scan.hidden.front() + " may have it open and cannot be looked at"};
    }
    return out;
}

} // namespace paradox
