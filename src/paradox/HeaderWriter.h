#pragma once

#include "paradox/FieldType.h"

#include <cstdint>
#include <string>
#include <vector>

namespace paradox {

struct LanguageDriver;

// What a Paradox 5.x header records about a table.
struct HeaderFacts {
    struct FieldEntry {
        FieldType type;
        int size;            // descriptor size byte
        std::string rawName; // in the table's code page
    };
    std::vector<FieldEntry> fields;
    int keyFields = 0; // keyed: the first fields are the key, and a .PX goes with the table
    int recordSize = 0;
    int blockSize = 0;
    std::string rawTableName; // file name in the table's code page
    const LanguageDriver* driver = nullptr;
    std::uint32_t recordCount = 0;
    int blocks = 0;
    std::uint32_t autoIncrement = 0;
    std::uint32_t updateTime = 0;
};

// The change counter (0x2D) and the counter at 0x12 of the tables written; a .PX made with
// a table records the first and the second plus one.
constexpr std::uint8_t kTableChangeCount = 2;
constexpr std::uint16_t kTableUnknown12 = 3;

// The size the header of these fields takes (a multiple of 2 KB).
std::size_t headerSizeFor(const HeaderFacts& facts);

// The complete header, zero-padded to headerSizeFor(facts).
std::vector<unsigned char> buildHeader(const HeaderFacts& facts);

} // namespace paradox
