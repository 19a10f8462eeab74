#include "paradox/BlobReader.h"

#include "paradox/ByteOrder.h"
#include "paradox/ByteSource.h"
#include "paradox/Error.h"
#include "paradox/Layout.h"

namespace paradox {

using namespace layout;

BlobReader::BlobReader(std::unique_ptr<ByteSource> file, std::string table, std::string fileName)
    : m_file(std::move(file)), m_table(std::move(table)), m_fileName(std::move(fileName))
{
}

BlobReader::~BlobReader() = default;

void BlobReader::fail(const std::string& what, BlobError::Kind kind) const
{
    throw BlobError(m_table, "memo file " + m_fileName + ": " + what, kind);
}

void BlobReader::read(std::uint32_t offsetIndex, std::uint32_t length, std::string& out)
{
    const std::uint64_t offset = offsetIndex & ~kMbSingleIndex;
    const std::uint32_t index = offsetIndex & kMbSingleIndex;
    if (offset == 0 || offset % kMbUnit != 0)
        fail("a value points to offset " + std::to_string(offset) + ", which starts no block");
    unsigned char type = 0;
    if (m_file->readAt(offset, &type, 1) != 1)
        fail("a value points to offset " + std::to_string(offset) + ", beyond the end of the file",
             BlobError::Kind::Cut);
    switch (type) {
    case kMbSingleBlock:
        return readSingle(offset, index, length, out);
    case kMbSubBlock:
        return readSub(offset, index, length, out);
    default:
        fail("a value points to block " + std::to_string(offset / kMbUnit) + " of type " +
             std::to_string(type) + ", which holds no values");
    }
}

void BlobReader::readSingle(std::uint64_t offset, std::uint32_t index, std::uint32_t length,
                            std::string& out)
{
    if (index != kMbSingleIndex)
        fail("a value gives entry " + std::to_string(index) + " of a single-value block");
    unsigned char head[kMbSingleHeader];
    if (m_file->readAt(offset, head, sizeof head) != sizeof head)
        fail("the file ends inside the block at offset " + std::to_string(offset),
             BlobError::Kind::Cut);
    const std::uint32_t stored = bytes::le32(head + 3);
    const std::uint64_t units = bytes::le16(head + 1);
    if (stored != length)
        fail("the block at offset " + std::to_string(offset) + " holds " + std::to_string(stored) +
             " bytes but the record says " + std::to_string(length));
    if (kMbSingleHeader + std::uint64_t(length) > units * kMbUnit)
        fail("the block at offset " + std::to_string(offset) + " is too small for its value");
    copy(offset + kMbSingleHeader, length, out);
}

void BlobReader::readSub(std::uint64_t offset, std::uint32_t index, std::uint32_t length,
                         std::string& out)
{
    if (index >= kMbSubEntries)
        fail("a value gives entry " + std::to_string(index) + " of a block of 64 entries");
    unsigned char entry[kMbSubEntrySize];
    const std::uint64_t at = offset + kMbSubEntryAt + kMbSubEntrySize * index;
    if (m_file->readAt(at, entry, sizeof entry) != sizeof entry)
        fail("the file ends inside the block at offset " + std::to_string(offset),
             BlobError::Kind::Cut);
    const std::uint32_t chunks = entry[1];
    const std::uint32_t lastBytes = entry[4];
    if (entry[0] == 0 || chunks == 0 || lastBytes == 0 || lastBytes > kMbChunk)
        fail("a value points to the unused entry " + std::to_string(index) +
             " of the block at offset " + std::to_string(offset));
    const std::uint32_t stored = (chunks - 1) * kMbChunk + lastBytes;
    if (stored != length)
        fail("entry " + std::to_string(index) + " of the block at offset " +
             std::to_string(offset) + " holds " + std::to_string(stored) +
             " bytes but the record says " + std::to_string(length));
    const std::uint64_t start = entry[0] * kMbChunk;
    if (start + length > kMbUnit)
        fail("entry " + std::to_string(index) + " of the block at offset " +
             std::to_string(offset) + " runs past its block");
    copy(offset + start, length, out);
}

void BlobReader::copy(std::uint64_t offset, std::uint32_t length, std::string& out)
{
    // The length is checked against the file before anything is allocated for it.
    if (offset > m_file->size() || length > m_file->size() - offset)
        fail("a value of " + std::to_string(length) + " bytes runs past the end of the file",
             BlobError::Kind::Cut);
    const std::size_t base = out.size();
    out.resize(base + length);
    if (m_file->readAt(offset, out.data() + base, length) != length)
        fail("the file ends inside a value", BlobError::Kind::Cut);
}

} // namespace paradox
