#pragma once

#include "paradox/ByteOrder.h"
#include "paradox/Layout.h"
#include "paradox/Scramble.h"

#include <cstdint>
#include <string>

// A password-protected table made from a plain one with the library's own scramble, for the
// tables a fixture cannot give (3.5 and 4.x, memo files) and for fuzz seeds. Reading it back
// only shows that decoding undoes encoding: the real file encrypt/encrypted.db is the check
// that the scramble is Paradox's.
namespace paradox::fuzz {

// Stores `checksum` where the table's version keeps it, pads the last block and the .MB to
// whole chunks, and scrambles the blocks and the .MB.
inline void scrambleTable(std::string& db, std::string* mb, std::uint32_t checksum)
{
    using namespace layout;
    auto* h = reinterpret_cast<unsigned char*>(db.data());
    const std::size_t headerSize = bytes::le16(h + kHeaderSizeAt);
    const std::size_t blockSize = std::size_t(h[kBlockSizeAt]) * 1024;
    if (h[kVersionAt] >= kFirstDataHeaderVersion) {
        bytes::putLe32(h + kEncryption1At, kChecksumInDataHeader);
        bytes::putLe32(h + kEncryption2At, checksum);
    } else {
        bytes::putLe32(h + kEncryption1At, checksum);
    }
    const std::size_t blocks = (db.size() - headerSize + blockSize - 1) / blockSize;
    db.resize(headerSize + blocks * blockSize, '\0');
    const Scramble scramble(checksum);
    auto* first = reinterpret_cast<unsigned char*>(db.data()) + headerSize;
    for (std::size_t n = 1; n <= blocks; ++n)
        scramble.encodeBlock(first + (n - 1) * blockSize, blockSize, int(n));
    if (mb) {
        mb->resize((mb->size() + Scramble::kChunk - 1) / Scramble::kChunk * Scramble::kChunk);
        scramble.encodeMemo(reinterpret_cast<unsigned char*>(mb->data()), mb->size());
    }
}

} // namespace paradox::fuzz
