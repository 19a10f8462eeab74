#pragma once

#include "paradox/FieldType.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace paradox {

class ByteSource;

// A table's primary index (.PX) read whole: its header facts and its tree, which it walks
// from the root as Paradox does to find the data block of a key. Damage throws Error.
class PrimaryIndex {
public:
    struct Entry {
        std::vector<unsigned char> key; // the key fields' bytes as the records hold them
        int child = 0;                  // a .PX block above level 1, a .DB block at level 1
        int count = 0;                  // records under the entry
    };

    static PrimaryIndex read(ByteSource& source, const std::string& table);
    static PrimaryIndex read(const std::filesystem::path& pxFile);

    int keyFields() const { return int(m_keyTypes.size()); }
    const std::vector<std::pair<FieldType, int>>& keyTypes() const { return m_keyTypes; }
    int keyWidth() const { return m_keyWidth; }
    int levels() const { return m_levels; }
    int root() const { return m_root; }
    int blockSize() const { return m_blockSize; }
    std::uint8_t changeStamp() const { return m_stamp; }

    // The entries of a .PX block in their order; empty for a block that is not in the file.
    const std::vector<Entry>& block(int number) const;

    // The data block whose records hold `key` if the table has it: at each level the last
    // entry whose key is not above it. Nothing when the key is below every key.
    std::optional<int> dataBlockFor(const unsigned char* key) const;

    // The level-1 entries from left to right (one per data block, in key order).
    std::vector<const Entry*> leaves() const;

private:
    void readBlock(ByteSource& source, int number, int level, const std::string& table);

    std::vector<std::pair<FieldType, int>> m_keyTypes; // type and descriptor size byte
    int m_keyWidth = 0;
    int m_levels = 0;
    int m_root = 0;
    int m_blockSize = 0;
    int m_headerSize = 0;
    int m_recordSize = 0;
    int m_fileBlocks = 0;
    std::uint8_t m_stamp = 0;
    std::vector<std::vector<Entry>> m_blocks; // by block number (0 unused)
    std::vector<int> m_levelOf;
};

} // namespace paradox
