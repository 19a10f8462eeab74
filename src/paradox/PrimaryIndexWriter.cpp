#include "paradox/PrimaryIndexWriter.h"

#include "paradox/ByteOrder.h"
#include "paradox/CodePage.h"
#include "paradox/Layout.h"
#include "paradox/OutputFile.h"

#include <algorithm>
#include <cstring>

namespace paradox {

using bytes::putLe16;
using bytes::putLe32;
using namespace layout;

namespace {

constexpr int kIndexFile = 1;
constexpr int kIndexTail = 6; // child block, record count, 0: three Paradox shorts
constexpr std::size_t kIndexHeaderSize = 0x800;
constexpr int kIndexBlockSizes[] = {4096, 16384, 32768};
constexpr int kMinEntries = 3;
// The count of a level above 1 may exceed a short; it is kept at the largest one.
constexpr std::uint32_t kMaxCount = 32767;

void putShort(unsigned char* p, std::uint32_t v)
{
    bytes::putBe(p, std::min(v, kMaxCount) ^ 0x8000u, 2);
}

std::vector<unsigned char> indexHeader(const IndexFacts& f, const IndexTree& tree, int blockSize)
{
    std::vector<unsigned char> h(kIndexHeaderSize, 0);
    const std::size_t blocks = tree.totalBlocks();
    const std::size_t keys = f.keyFields.size();
    putLe16(&h[kRecordSizeAt], std::uint16_t(f.keyWidth + kIndexTail));
    putLe16(&h[kHeaderSizeAt], std::uint16_t(kIndexHeaderSize));
    h[kFileTypeAt] = kIndexFile;
    h[kBlockSizeAt] = std::uint8_t(blockSize / 1024);
    putLe32(&h[kRecordCountAt], std::uint32_t(tree.totalEntries()));
    putLe16(&h[kUsedBlocksAt], std::uint16_t(blocks));
    putLe16(&h[kFileBlocksAt], std::uint16_t(blocks));
    putLe16(&h[kFirstBlockAt], blocks == 0 ? 0 : 1);
    putLe16(&h[kLastBlockAt], std::uint16_t(blocks));
    putLe16(&h[kUnknown12At], std::uint16_t(f.dbUnknown12 + 1));
    putLe16(&h[kIndexRootAt], 1);
    h[kIndexLevelsAt] = std::uint8_t(tree.levels());
    putLe16(&h[kFieldCountAt], std::uint16_t(keys));
    h[kSortOrderAt] = f.driver->sortOrder;
    h[kIndexStampAt] = f.changeStamp;
    h[kVersionAt] = kVersion5;
    putLe16(&h[kMaxBlocksAt], std::uint16_t(blocks));
    putLe32(&h[kAutoIncrementAt], 1);
    const std::size_t names = kFixedHeaderSize + 2 * keys + kPointerSize;
    const std::size_t nameField = tableNameLength(kVersion5);
    putLe16(&h[kRealHeaderSizeAt], std::uint16_t(names + nameField));
    std::size_t pos = kFixedHeaderSize;
    for (const auto& k : f.keyFields) {
        h[pos++] = std::uint8_t(k.type);
        h[pos++] = std::uint8_t(k.size);
    }
    const std::size_t nameLength = std::min(f.rawTableName.size(), nameField - 1);
    std::memcpy(&h[names], f.rawTableName.data(), nameLength);
    return h;
}

// Writes the blocks of one level; entry j of the level covers the level-1 entries
// [j * span, (j + 1) * span) and points to `childOf(j)`.
class LevelWriter {
public:
    LevelWriter(OutputFile& file, const IndexFacts& f, int blockSize, std::size_t totalBlocks)
        : m_file(file), m_facts(f), m_block(std::size_t(blockSize), 0),
          m_entrySize(std::size_t(f.keyWidth + kIndexTail)), m_totalBlocks(totalBlocks)
    {
        const auto& counts = *f.counts;
        m_before.resize(counts.size() + 1, 0);
        for (std::size_t i = 0; i < counts.size(); ++i)
            m_before[i + 1] = m_before[i] + counts[i];
    }

    void write(std::size_t entries, std::size_t span, int perBlock, std::size_t firstChild,
               bool level1)
    {
        const std::size_t level1Entries = m_facts.counts->size();
        int inBlock = 0;
        for (std::size_t j = 0; j < entries; ++j) {
            const std::size_t from = j * span;
            const std::size_t to = std::min(from + span, level1Entries);
            unsigned char* e =
                m_block.data() + kBlockHeaderSize + std::size_t(inBlock) * m_entrySize;
            std::memcpy(e, m_facts.firstKeys->data() + from * std::size_t(m_facts.keyWidth),
                        std::size_t(m_facts.keyWidth));
            const std::size_t child = level1 ? from + 1 : firstChild + j;
            putShort(e + m_facts.keyWidth, std::uint32_t(child));
            putShort(e + m_facts.keyWidth + 2, std::uint32_t(m_before[to] - m_before[from]));
            putShort(e + m_facts.keyWidth + 4, 0);
            if (++inBlock == perBlock || j + 1 == entries) {
                flush(inBlock);
                inBlock = 0;
            }
        }
    }

private:
    void flush(int inBlock)
    {
        const std::size_t number = ++m_written;
        putLe16(m_block.data(), std::uint16_t(number == m_totalBlocks ? 0 : number + 1));
        putLe16(m_block.data() + 2, std::uint16_t(number - 1));
        putLe16(m_block.data() + 4, std::uint16_t((inBlock - 1) * int(m_entrySize)));
        m_file.append(m_block.data(), m_block.size());
        std::fill(m_block.begin(), m_block.end(), 0);
    }

    OutputFile& m_file;
    const IndexFacts& m_facts;
    std::vector<unsigned char> m_block;
    std::size_t m_entrySize;
    std::size_t m_totalBlocks;
    std::size_t m_written = 0;
    std::vector<std::uint64_t> m_before; // records before level-1 entry i
};

} // namespace

std::size_t IndexTree::totalEntries() const
{
    std::size_t n = 0;
    for (const std::size_t e : entries)
        n += e;
    return n;
}

std::size_t IndexTree::totalBlocks() const
{
    std::size_t n = 0;
    for (const std::size_t b : blocks)
        n += b;
    return n;
}

IndexTree indexTreeFor(std::size_t dataBlocks, int entriesPerBlock)
{
    IndexTree tree;
    tree.entriesPerBlock = entriesPerBlock;
    std::size_t entries = dataBlocks;
    while (entries > 0) {
        const std::size_t blocks =
            (entries + std::size_t(entriesPerBlock) - 1) / std::size_t(entriesPerBlock);
        tree.entries.push_back(entries);
        tree.blocks.push_back(blocks);
        if (blocks == 1)
            break;
        entries = blocks;
    }
    return tree;
}

int indexBlockSizeFor(int keyWidth)
{
    for (const int size : kIndexBlockSizes)
        if ((size - kBlockHeaderSize) / (keyWidth + kIndexTail) >= kMinEntries)
            return size;
    return 0;
}

void writePrimaryIndex(OutputFile& file, const IndexFacts& f)
{
    const int blockSize = indexBlockSizeFor(f.keyWidth);
    const int perBlock = (blockSize - kBlockHeaderSize) / (f.keyWidth + kIndexTail);
    const IndexTree tree = indexTreeFor(f.counts->size(), perBlock);
    const auto header = indexHeader(f, tree, blockSize);
    file.append(header.data(), header.size());

    // The root takes block 1, each level below follows the one above it.
    LevelWriter writer(file, f, blockSize, tree.totalBlocks());
    std::size_t firstOfLevel = 1;
    for (int level = tree.levels(); level >= 1; --level) {
        const std::size_t index = std::size_t(level - 1);
        std::size_t span = 1;
        for (int l = 1; l < level; ++l)
            span *= std::size_t(perBlock);
        const std::size_t firstChild = firstOfLevel + tree.blocks[index];
        writer.write(tree.entries[index], span, perBlock, firstChild, level == 1);
        firstOfLevel = firstChild;
    }
}

} // namespace paradox
