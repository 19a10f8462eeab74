#pragma once

#include "paradox/FieldType.h"

#include <cstdint>
#include <string>
#include <vector>

namespace paradox {

struct LanguageDriver;

// What a Paradox 5.x header records about an unkeyed table.
struct HeaderSpec {
    struct FieldEntry {
        FieldType type;
        int size;            // descriptor size byte
        std::string rawName; // in the table's code page
    };
    std::vector<FieldEntry> fields;
    int recordSize = 0;
    int blockSize = 0;
    std::string rawTableName; // file name in the table's code page
    const LanguageDriver* driver = nullptr;
    std::uint32_t recordCount = 0;
    int blocks = 0;
    std::uint32_t autoIncrement = 0;
    std::uint32_t updateTime = 0;
};

// The size the header of these fields takes (a multiple of 2 KB).
std::size_t headerSizeFor(const HeaderSpec& spec);

// The complete header, zero-padded to headerSizeFor(spec).
std::vector<unsigned char> buildHeader(const HeaderSpec& spec);

} // namespace paradox
