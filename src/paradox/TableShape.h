#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace paradox {

// What a table's files say of its shape beyond the field types.
struct TableShape {
    int keyFields = 0;                    // the first fields are the key
    std::vector<int> autoIncrementFields; // positions (from 0)
    std::uint32_t lastAutoIncrement = 0;  // the header's last number handed out
    std::vector<bool> required;           // one per field, from the .VAL
    bool hasPrimaryIndex = false;         // a .PX lies beside a keyed table
};

// Reads the shape of the table of a .db file: its header, and its .VAL and .PX beside it
// (found ignoring case). Throws Error when the header cannot be read.
TableShape readTableShape(const std::filesystem::path& dbFile);

} // namespace paradox
