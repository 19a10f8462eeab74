#include "paradox/PrimaryIndex.h"

#include "paradox/ByteOrder.h"
#include "paradox/ByteSource.h"
#include "paradox/Error.h"
#include "paradox/Layout.h"

#include <cstring>

namespace paradox {

using bytes::le16;
using bytes::le32;
using namespace layout;

namespace {

constexpr int kIndexFile = 1;
constexpr int kIndexTail = 6;

int shortAt(const unsigned char* p) { return int(bytes::be(p, 2) ^ 0x8000u); }

} // namespace

PrimaryIndex PrimaryIndex::read(const std::filesystem::path& pxFile)
{
    FileSource source(pxFile);
    return read(source, pxFile.filename().string());
}

PrimaryIndex PrimaryIndex::read(ByteSource& source, const std::string& table)
{
    unsigned char h[kFixedHeaderSize];
    source.readExact(0, h, sizeof h, table, "the index header");
    PrimaryIndex x;
    if (h[kFileTypeAt] != kIndexFile)
        throw Error(table, "this is not a primary index");
    x.m_recordSize = le16(h + kRecordSizeAt);
    x.m_headerSize = le16(h + kHeaderSizeAt);
    x.m_blockSize = h[kBlockSizeAt] * 1024;
    x.m_fileBlocks = le16(h + kFileBlocksAt);
    x.m_root = le16(h + kIndexRootAt);
    x.m_levels = h[kIndexLevelsAt];
    x.m_stamp = h[kIndexStampAt];
    const int keys = std::int16_t(le16(h + kFieldCountAt));
    if (keys < 1 || keys > 255 || x.m_blockSize == 0 || x.m_recordSize <= kIndexTail)
        throw Error(table, "the index header is damaged");
    std::vector<unsigned char> d(2 * std::size_t(keys));
    source.readExact(kFixedHeaderSize, d.data(), d.size(), table, "the index key fields");
    for (int i = 0; i < keys; ++i) {
        const auto type = fieldTypeFromCode(d[2 * std::size_t(i)]);
        const auto width = type ? recordWidth(*type, d[2 * std::size_t(i) + 1]) : std::nullopt;
        if (!width)
            throw Error(table, "key field " + std::to_string(i + 1) + " of the index is unknown");
        x.m_keyTypes.emplace_back(*type, d[2 * std::size_t(i) + 1]);
        x.m_keyWidth += *width;
    }
    if (x.m_keyWidth + kIndexTail != x.m_recordSize)
        throw Error(table, "the index records do not match its key fields");
    x.m_blocks.resize(std::size_t(x.m_fileBlocks) + 1);
    x.m_levelOf.assign(std::size_t(x.m_fileBlocks) + 1, 0);
    if (x.m_levels > 0)
        x.readBlock(source, x.m_root, x.m_levels, table);
    return x;
}

// Reads a block and, above level 1, the blocks its entries point to.
void PrimaryIndex::readBlock(ByteSource& source, int number, int level, const std::string& table)
{
    if (number < 1 || number > m_fileBlocks || m_levelOf[std::size_t(number)] != 0)
        throw Error(table, "the index tree points to block " + std::to_string(number) + " wrongly");
    m_levelOf[std::size_t(number)] = level;
    std::vector<unsigned char> b(static_cast<std::size_t>(m_blockSize));
    source.readExact(std::uint64_t(m_headerSize) + std::uint64_t(number - 1) * b.size(), b.data(),
                     b.size(), table, "an index block");
    const int last = std::int16_t(le16(b.data() + 4));
    if (last < 0 || last % m_recordSize != 0 ||
        kBlockHeaderSize + last + m_recordSize > m_blockSize)
        throw Error(table, "index block " + std::to_string(number) + " is damaged");
    auto& entries = m_blocks[std::size_t(number)];
    for (int at = kBlockHeaderSize; at <= kBlockHeaderSize + last; at += m_recordSize) {
        const unsigned char* e = b.data() + at;
        entries.push_back({std::vector<unsigned char>(e, e + m_keyWidth), shortAt(e + m_keyWidth),
                           shortAt(e + m_keyWidth + 2)});
    }
    if (level > 1)
        for (const Entry& e : entries)
            readBlock(source, e.child, level - 1, table);
}

const std::vector<PrimaryIndex::Entry>& PrimaryIndex::block(int number) const
{
    static const std::vector<Entry> none;
    return number >= 1 && std::size_t(number) < m_blocks.size() ? m_blocks[std::size_t(number)]
                                                                : none;
}

std::optional<int> PrimaryIndex::dataBlockFor(const unsigned char* key) const
{
    if (m_levels == 0)
        return std::nullopt;
    int number = m_root;
    for (int level = m_levels; level >= 1; --level) {
        const Entry* pick = nullptr;
        for (const Entry& e : block(number)) {
            if (std::memcmp(e.key.data(), key, std::size_t(m_keyWidth)) > 0)
                break;
            pick = &e;
        }
        if (!pick)
            return std::nullopt;
        number = pick->child;
    }
    return number;
}

std::vector<const PrimaryIndex::Entry*> PrimaryIndex::leaves() const
{
    std::vector<const Entry*> out;
    std::vector<std::pair<int, int>> stack; // block, level
    if (m_levels > 0)
        stack.emplace_back(m_root, m_levels);
    while (!stack.empty()) {
        const auto [number, level] = stack.back();
        stack.pop_back();
        const auto& entries = block(number);
        if (level == 1) {
            for (const Entry& e : entries)
                out.push_back(&e);
            continue;
        }
        for (auto it = entries.rbegin(); it != entries.rend(); ++it)
            stack.emplace_back(it->child, level - 1);
    }
    return out;
}

} // namespace paradox
