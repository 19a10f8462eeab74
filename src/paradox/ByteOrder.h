#pragma once

#include <cstdint>
#include <cstring>

// Little-endian integers of headers and BLOb tails, and the "Paradox big-endian" encoding of
// field values: big-endian with the sign bit inverted (doubles: all bits when negative), so
// that all-zero bytes mean NULL.
namespace paradox::bytes {

inline std::uint16_t le16(const unsigned char* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

inline std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

inline void putLe16(unsigned char* p, std::uint16_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}

inline void putLe32(unsigned char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}

inline std::uint64_t be(const unsigned char* p, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | p[i];
    return v;
}

inline void putBe(unsigned char* p, std::uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) {
        p[i] = std::uint8_t(v);
        v >>= 8;
    }
}

// Integer of n bytes (1, 2 or 4); false for NULL (all zero).
inline bool getInt(const unsigned char* p, int n, std::int64_t& out) {
    const std::uint64_t raw = be(p, n);
    if (raw == 0)
        return false;
    const int bits = 8 * n;
    const std::uint64_t flipped = raw ^ (std::uint64_t(1) << (bits - 1));
    // Sign-extend the two's-complement value of n bytes.
    const std::uint64_t sign = std::uint64_t(1) << (bits - 1);
    out = std::int64_t((flipped ^ sign) - sign);
    return true;
}

inline void putInt(unsigned char* p, int n, std::int64_t v) {
    const int bits = 8 * n;
    const std::uint64_t mask = bits == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << bits) - 1;
    putBe(p, (std::uint64_t(v) & mask) ^ (std::uint64_t(1) << (bits - 1)), n);
}

// Double of 8 bytes; false for NULL.
inline bool getDouble(const unsigned char* p, double& out) {
    std::uint64_t raw = be(p, 8);
    if (raw == 0)
        return false;
    constexpr std::uint64_t top = std::uint64_t(1) << 63;
    raw = (raw & top) ? raw ^ top : ~raw;
    std::memcpy(&out, &raw, sizeof out);
    return true;
}

inline void putDouble(unsigned char* p, double v) {
    std::uint64_t raw;
    std::memcpy(&raw, &v, sizeof raw);
    constexpr std::uint64_t top = std::uint64_t(1) << 63;
    raw = (raw & top) ? ~raw : raw | top;
    putBe(p, raw, 8);
}

} // namespace paradox::bytes
