#pragma once

#include <cstddef>
#include <cstdint>

namespace paradox {

// The fixed scramble of password-protected tables: the data blocks of the .DB and the whole
// .MB, in chunks of 256 bytes. The key is the low 16 bits of the password checksum that the
// header stores, so reading needs no password (see docs/paradox-encryption.md).
class Scramble {
public:
    static constexpr std::size_t kChunk = 256;

    explicit Scramble(std::uint32_t checksum);

    // The whole chunks of .DB block `number` (counted from 1), in place; a partial chunk at
    // the end stays as it is.
    void decodeBlock(unsigned char* block, std::size_t size, int number) const;
    void encodeBlock(unsigned char* block, std::size_t size, int number) const;

    // The whole chunks of a stretch of a .MB file that starts on a chunk boundary, in place.
    void decodeMemo(unsigned char* data, std::size_t size) const;
    void encodeMemo(unsigned char* data, std::size_t size) const;

private:
    void decodeChunk(unsigned char* chunk, unsigned maskShift, unsigned placeShift) const;
    void encodeChunk(unsigned char* chunk, unsigned maskShift, unsigned placeShift) const;

    unsigned m_low;
    unsigned m_high;
};

} // namespace paradox
