#include "paradox/HeaderWriter.h"

#include "paradox/ByteOrder.h"
#include "paradox/CodePage.h"
#include "paradox/Layout.h"

#include <algorithm>

namespace paradox {

using bytes::putLe16;
using bytes::putLe32;
using namespace layout;

namespace {

constexpr std::size_t kTableNameLength = 79;
constexpr std::uint32_t kIndexWorkspace = 0xFFFFFF9C;

std::size_t realHeaderSize(const HeaderFacts& facts)
{
    const std::size_t nf = facts.fields.size();
    std::size_t names = 0;
    for (const auto& f : facts.fields)
        names += f.rawName.size() + 1;
    return kDataHeaderEnd + 2 * nf + kPointerSize + kPointerSize * nf + kTableNameLength + names +
           2 * nf + std::char_traits<char>::length(facts.driver->name) + 1;
}

void putFixedHeader(const HeaderFacts& facts, std::size_t headerSize, unsigned char* h)
{
    const int nf = int(facts.fields.size());
    const bool empty = facts.blocks == 0;
    putLe16(h + kRecordSizeAt, std::uint16_t(facts.recordSize));
    putLe16(h + kHeaderSizeAt, std::uint16_t(headerSize));
    h[kFileTypeAt] = facts.keyFields > 0 ? kKeyedTable : kUnkeyedTable;
    h[kBlockSizeAt] = std::uint8_t(facts.blockSize / 1024);
    putLe32(h + kRecordCountAt, facts.recordCount);
    putLe16(h + kUsedBlocksAt, std::uint16_t(facts.blocks));
    putLe16(h + kFileBlocksAt, std::uint16_t(facts.blocks));
    putLe16(h + kFirstBlockAt, empty ? 0 : 1);
    putLe16(h + kLastBlockAt, std::uint16_t(facts.blocks));
    putLe16(h + kUnknown12At, kTableUnknown12);
    putLe16(h + kFieldCountAt, std::uint16_t(nf));
    if (facts.keyFields > 0) {
        putLe16(h + kKeyFieldsAt, std::uint16_t(facts.keyFields));
        // Paradox leaves its in-memory pointer to the index here, never 0 in a keyed table.
        putLe32(h + kIndexWorkspaceAt, kIndexWorkspace);
    }
    putLe32(h + kEncryption1At, kChecksumInDataHeader);
    h[kSortOrderAt] = facts.driver->sortOrder;
    h[kChangeCount1At] = kTableChangeCount;
    h[kChangeCount2At] = 1;
    h[kVersionAt] = kVersion5;
    putLe16(h + kMaxBlocksAt, std::uint16_t(facts.blocks));
    h[kUnknown3EAt] = 0x1F;
    h[kUnknown3EAt + 1] = 0x0F;
    putLe32(h + kAutoIncrementAt, facts.autoIncrement);
    putLe16(h + kRealHeaderSizeAt, std::uint16_t(realHeaderSize(facts)));
    h[kUnknown56At] = 0x20;
}

void putDataHeader(const HeaderFacts& facts, std::size_t fieldNumbersAt, std::size_t sortOrderAt,
                   unsigned char* h)
{
    constexpr std::uint16_t version = 0x0100 + kVersion5;
    putLe16(h + kFileVersion2At, version);
    putLe16(h + kFileVersion3At, version);
    putLe32(h + kUpdateTimeAt, facts.updateTime);
    putLe16(h + kHiFieldIdAt, std::uint16_t(facts.fields.size() + 1));
    putLe16(h + kFieldNumbersOffsetAt, std::uint16_t(fieldNumbersAt - kFixedHeaderSize));
    putLe16(h + kCodePageAt, std::uint16_t(facts.driver->codePage));
    h[kUnknown6CAt] = 1;
    h[kUnknown6CAt + 1] = 1;
    putLe16(h + kSortOrderOffsetAt, std::uint16_t(sortOrderAt - kFixedHeaderSize));
    putLe16(h + kChangeCount4At, 1);
}

} // namespace

std::size_t headerSizeFor(const HeaderFacts& facts)
{
    const std::size_t real = realHeaderSize(facts);
    return (real + kHeaderUnit - 1) / kHeaderUnit * kHeaderUnit;
}

std::vector<unsigned char> buildHeader(const HeaderFacts& facts)
{
    const std::size_t size = headerSizeFor(facts);
    std::vector<unsigned char> h(size, 0);
    const std::size_t nf = facts.fields.size();

    std::size_t pos = kDataHeaderEnd;
    for (const auto& f : facts.fields) {
        h[pos++] = std::uint8_t(f.type);
        h[pos++] = std::uint8_t(f.size);
    }
    pos += kPointerSize + kPointerSize * nf; // in-memory pointers: zero
    const std::size_t nameLength = std::min(facts.rawTableName.size(), kTableNameLength - 1);
    std::copy_n(facts.rawTableName.begin(), nameLength, h.begin() + std::ptrdiff_t(pos));
    pos += kTableNameLength;
    for (const auto& f : facts.fields) {
        std::copy(f.rawName.begin(), f.rawName.end(), h.begin() + std::ptrdiff_t(pos));
        pos += f.rawName.size() + 1;
    }
    const std::size_t fieldNumbersAt = pos;
    for (std::size_t i = 0; i < nf; ++i, pos += 2)
        putLe16(h.data() + pos, std::uint16_t(i + 1));
    const std::size_t sortOrderAt = pos;
    const std::string driver = facts.driver->name;
    std::copy(driver.begin(), driver.end(), h.begin() + std::ptrdiff_t(pos));

    putFixedHeader(facts, size, h.data());
    putDataHeader(facts, fieldNumbersAt, sortOrderAt, h.data());
    return h;
}

} // namespace paradox
