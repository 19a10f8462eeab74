#pragma once

#include "paradox/HeaderWriter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace paradox {

class OutputFile;

// The shape of a primary index tree: entries and blocks per level, level 1 first.
struct IndexTree {
    int entriesPerBlock = 0;
    std::vector<std::size_t> entries; // entries[0]: one per data block
    std::vector<std::size_t> blocks;
    int levels() const { return int(blocks.size()); }
    std::size_t totalEntries() const;
    std::size_t totalBlocks() const;
};

// The tree that indexes `dataBlocks` data blocks with `entriesPerBlock` entries a block (at
// least 2), as many levels as it takes to end in one root block.
IndexTree indexTreeFor(std::size_t dataBlocks, int entriesPerBlock);

// The block size of the .PX of a key of `keyWidth` bytes: 4 KB, or 16 or 32 KB when 4 KB
// blocks would hold fewer than 3 entries; 0 when no size does.
int indexBlockSizeFor(int keyWidth);

// What the .PX of a keyed table records: the key fields as the .DB has them, and for every
// data block in chain order the key of its first record and its record count.
struct IndexFacts {
    std::vector<HeaderFacts::FieldEntry> keyFields;
    int keyWidth = 0;
    std::string rawTableName; // e.g. "ORDERS.PX" in the table's code page
    const LanguageDriver* driver = nullptr;
    std::uint8_t changeStamp = 0; // the .DB's change counter at 0x2D
    std::uint16_t dbUnknown12 = 0;
    const std::vector<unsigned char>* firstKeys = nullptr; // keyWidth bytes a data block
    const std::vector<std::uint16_t>* counts = nullptr;
};

// Writes the complete .PX to `file` (empty): header, then the root in block 1, the levels
// below it after it, level 1 last, chained in that order.
void writePrimaryIndex(OutputFile& file, const IndexFacts& facts);

} // namespace paradox
