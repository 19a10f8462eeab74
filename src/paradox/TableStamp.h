#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace paradox {

// What shows that a table's files changed: the size and time of its .db and .MB and the
// .db's header (its counts, change counter and rebuild flags among them). A reader takes
// one before and one after reading; a program that wrote meanwhile changed at least one.
struct TableStamp {
    struct File {
        bool exists = false;
        std::uintmax_t size = 0;
        std::int64_t modifiedNs = 0;
        bool operator==(const File&) const = default;
    };
    File db;
    File blobs;
    std::string header;
    bool operator==(const TableStamp&) const = default;
};

// The stamp of the table whose .db is dbFile, now.
TableStamp stampOf(const std::filesystem::path& dbFile);

} // namespace paradox
