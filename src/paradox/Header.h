#pragma once

#include "paradox/FieldType.h"

#include <cstdint>
#include <string>
#include <vector>

namespace paradox {

class ByteSource;

// One field of a table as its descriptor and name give it.
struct Field {
    std::string name; // UTF-8
    FieldType type = FieldType::Alpha;
    int size = 0;   // the descriptor's size byte (BCD: decimals)
    int width = 0;  // bytes in the record
    int offset = 0; // position in the record
};

// The facts of a .DB header that reading needs (and that pxdump shows).
struct TableHeader {
    int recordSize = 0;
    int headerSize = 0;
    int fileType = 0;
    int blockSize = 0;
    std::uint32_t recordCount = 0;
    int fileBlocks = 0;
    int firstBlock = 0;
    int lastBlock = 0;
    int keyFields = 0;
    int versionId = 0; // 3 = 3.0, 4 = 3.5, 5..9 = 4.x, 10..11 = 5.x, 12 = 7.x
    int codePage = 0;  // 0 when the header has none
    std::uint8_t sortOrder = 0;
    std::string sortOrderName;          // language driver, empty before 4.0
    std::string encoding;               // iconv name the text is decoded with
    bool encrypted = false;             // password-protected: blocks and .MB are scrambled
    std::uint32_t passwordChecksum = 0; // the header's checksum; keys the scramble
    std::uint32_t autoIncrement = 0;
    std::vector<Field> fields;

    // "3.0", "3.5", "4.x", "5.x" or "7.x".
    std::string versionText() const;
};

// Parses and checks the header; every inconsistency throws Error naming the table.
// `encoding` overrides the text encoding when not empty.
TableHeader readHeader(ByteSource& source, const std::string& table,
                       const std::string& encoding = {});

} // namespace paradox
