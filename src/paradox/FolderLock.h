#pragma once

#include <filesystem>

namespace paradox {

// An advisory lock (flock) on a folder for the object's lifetime. Writers take it shared
// while they create their temporary files and exclusive while they clear the files of dead
// runs or put a table in place, so that those steps of two runs never interleave. A folder
// whose file system has no such locks is used unlocked.
class FolderLock {
public:
    enum class Mode { Shared, Exclusive };

    FolderLock(const std::filesystem::path& folder, Mode mode);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
};

} // namespace paradox
