#include "paradox/LockFiles.h"

#include "paradox/FileNames.h"
#include "paradox/LockHolders.h"
#include "paradox/TableFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <fstream>

namespace paradox {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kUsersLock = "PDOXUSRS.LCK";
constexpr std::string_view kDirectoryLock = "PARADOX.LCK";
constexpr std::string_view kLockExtension = ".LCK";
constexpr std::string_view kReadOnlyMark = "PARADOX.DRO";
constexpr std::array<std::string_view, 2> kNetFiles = {"PDOXUSRS.NET", "PARADOX.NET"};

// Enough for every lock file seen; a larger one is read only this far.
constexpr std::size_t kReadLimit = 64 * 1024;
// Shorter runs of printable bytes are mostly numbers of the binary layout.
constexpr std::size_t kShortestText = 3;
constexpr std::size_t kLongestText = 260;
constexpr std::size_t kMostTexts = 64;

bool containsIgnoringCase(std::string_view text, std::string_view part)
{
    return std::search(text.begin(), text.end(), part.begin(), part.end(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) ==
                      std::toupper(static_cast<unsigned char>(b));
           }) != text.end();
}

// A text that names a path: a drive ("F:\"), a share ("\\SERVER\") or a net file.
bool looksLikeNetPath(std::string_view text)
{
    if (text.find(":\\") != std::string_view::npos || text.starts_with("\\\\"))
        return true;
    return std::any_of(kNetFiles.begin(), kNetFiles.end(),
                       [&](std::string_view n) { return containsIgnoringCase(text, n); });
}

// The runs of printable ASCII in the bytes, trimmed.
std::vector<std::string> printableTexts(const std::string& bytes)
{
    std::vector<std::string> texts;
    std::string run;
    const auto flush = [&] {
        while (!run.empty() && run.back() == ' ')
            run.pop_back();
        const auto start = run.find_first_not_of(' ');
        if (start != std::string::npos && run.size() - start >= kShortestText &&
            texts.size() < kMostTexts)
            texts.push_back(run.substr(start, kLongestText));
        run.clear();
    };
    for (const char c : bytes) {
        if (c >= 0x20 && c < 0x7F)
            run.push_back(c);
        else
            flush();
    }
    flush();
    return texts;
}

std::string readPrefix(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes(kReadLimit, '\0');
    in.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(std::size_t(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

std::string joined(const std::vector<std::string>& parts)
{
    std::string out;
    for (const std::string& p : parts)
        out += (out.empty() ? "" : "; ") + p;
    return out;
}

} // namespace

LockFile readLockFile(const fs::path& path, LockFile::Kind kind)
{
    LockFile file;
    file.path = path;
    file.kind = kind;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        file.modified = st.st_mtime;
    file.texts = printableTexts(readPrefix(path));
    for (const std::string& text : file.texts) {
        if (file.netFile.empty() && looksLikeNetPath(text))
            file.netFile = text;
        file.marksReadOnly = file.marksReadOnly || containsIgnoringCase(text, kReadOnlyMark);
    }
    return file;
}

std::vector<LockFile> findLockFiles(const fs::path& dbFile)
{
    const fs::path folder = dbFile.parent_path().empty() ? fs::path(".") : dbFile.parent_path();
    const std::string tableLock =
        fileNameText(dbFile.stem().native()) + std::string(kLockExtension);
    std::vector<LockFile> found;
    const std::pair<std::string_view, LockFile::Kind> wanted[] = {
        {tableLock, LockFile::Kind::Table},
        {kUsersLock, LockFile::Kind::Users},
        {kDirectoryLock, LockFile::Kind::Directory},
    };
    std::error_code ec;
    std::vector<fs::path> names;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.push_back(it->path());
    std::sort(names.begin(), names.end());
    for (const auto& [name, kind] : wanted)
        for (const fs::path& f : names)
            if (sameNameIgnoringCase(fileNameText(f.filename().native()), name) &&
                fs::is_regular_file(f, ec))
                found.push_back(readLockFile(f, kind));
    return found;
}

LockCheck checkLocks(const std::vector<fs::path>& dbFiles)
{
    LockCheck check;
    for (const fs::path& db : dbFiles)
        for (LockFile& f : findLockFiles(db))
            if (std::none_of(check.files.begin(), check.files.end(),
                             [&](const LockFile& known) { return known.path == f.path; }))
                check.files.push_back(std::move(f));
    if (check.files.empty())
        return check;
    std::vector<fs::path> paths;
    for (const LockFile& f : check.files)
        paths.push_back(f.path);
    const std::vector<Holding> holders = findHolders(paths);
    std::vector<std::string> held;
    for (std::size_t i = 0; i < check.files.size(); ++i) {
        const std::string name = fileNameText(check.files[i].path.filename().native());
        if (check.files[i].marksReadOnly)
            held.push_back(name + " marks the folder read-only for Paradox programs");
        else if (holders[i].state != Holding::State::None)
            held.push_back(name + ": " + holders[i].why);
    }
    if (!held.empty()) {
        check.state = LockCheck::State::Locked;
        check.reason = joined(held);
        return check;
    }
    check.state = LockCheck::State::Stale;
    check.reason = "no process on this machine has " +
                   std::string(check.files.size() == 1 ? "it" : "them") + " open or locked";
    return check;
}

std::string localTimeText(std::time_t time)
{
    std::tm parts{};
    char text[32] = {};
    if (::localtime_r(&time, &parts) == nullptr ||
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &parts) == 0)
        return {};
    return text;
}

} // namespace paradox
