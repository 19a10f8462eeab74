#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

// The lock files a Paradox or BDE program keeps beside the tables it has open, and whether
// they still stand for a running program. Their layout was never published, so a file is
// read only for the texts it holds; its presence is what counts. docs/paradox-locks.md
// gives the rules and why.
namespace paradox {

// One lock file found beside a table.
struct LockFile {
    enum class Kind {
        Table,     // <table>.LCK beside the table's .db
        Users,     // PDOXUSRS.LCK of the folder (Paradox for Windows, DOS 4.0 and later, BDE)
        Directory, // PARADOX.LCK of the folder
    };
    std::filesystem::path path;
    Kind kind = Kind::Table;
    std::time_t modified = 0;
    // The printable texts it holds (user names, table names), in file order.
    std::vector<std::string> texts;
    // The net file or net folder it points to, when one of its texts names one.
    std::string netFile;
    // Made to mark the folder read-only for Paradox programs (it names PARADOX.DRO).
    bool marksReadOnly = false;
};

// What the lock files of a table mean for a program that would change the table.
struct LockCheck {
    enum class State {
        Free,   // no lock file
        Locked, // a lock file may belong to a running program
        Stale,  // every lock file is shown to belong to no running program
    };
    State state = State::Free;
    std::vector<LockFile> files;
    // Locked: why the table counts as held; Stale: why the files are shown stale.
    std::string reason;
};

// The lock files that concern the table whose .db is dbFile, matched without regard to
// case: its own .LCK, then PDOXUSRS.LCK and PARADOX.LCK of its folder.
std::vector<LockFile> findLockFiles(const std::filesystem::path& dbFile);

// The lock file at path as its content and time show it; a file that cannot be read holds
// no texts.
LockFile readLockFile(const std::filesystem::path& path, LockFile::Kind kind);

// Finds the lock files of the tables whose .db files are given (each file once) and
// decides whether they are held.
LockCheck checkLocks(const std::vector<std::filesystem::path>& dbFiles);

// A file time as local date and time, "2026-12-09 03:10:00".
std::string localTimeText(std::time_t time);

} // namespace paradox
