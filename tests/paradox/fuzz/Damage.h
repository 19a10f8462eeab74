#pragma once

#include "paradox/ByteOrder.h"
#include "paradox/Layout.h"

#include <cstdint>
#include <string>

// Damage done to a table's bytes the way real damage looks: a copy cut short, a block
// header overwritten, a chain pointer gone wrong, a header count never updated. For the
// salvage tests and the fuzz seeds.
namespace paradox::fuzz {

inline unsigned char* bytesAt(std::string& file, std::size_t at)
{
    return reinterpret_cast<unsigned char*>(file.data() + at);
}

// Where block `b` (from 1) starts.
inline std::size_t blockAt(const std::string& db, int b)
{
    const auto* h = reinterpret_cast<const unsigned char*>(db.data());
    return bytes::le16(h + layout::kHeaderSizeAt) +
           std::size_t(b - 1) * std::size_t(h[layout::kBlockSizeAt]) * 1024;
}

// Block `b`'s header becomes noise.
inline void garbleBlockHeader(std::string& db, int b)
{
    const unsigned char noise[] = {0xA7, 0x3C, 0xF1, 0xE9, 0x5D, 0x82};
    for (std::size_t i = 0; i < sizeof noise; ++i)
        db[blockAt(db, b) + i] = char(noise[i]);
}

inline void setNextBlock(std::string& db, int b, int next)
{
    bytes::putLe16(bytesAt(db, blockAt(db, b)), std::uint16_t(next));
}

// The offset of block `b`'s last record (-recordSize: empty).
inline void setLastOffset(std::string& db, int b, int offset)
{
    bytes::putLe16(bytesAt(db, blockAt(db, b) + 4), std::uint16_t(offset));
}

inline void setRecordCount(std::string& db, std::uint32_t n)
{
    bytes::putLe32(bytesAt(db, layout::kRecordCountAt), n);
}

} // namespace paradox::fuzz
