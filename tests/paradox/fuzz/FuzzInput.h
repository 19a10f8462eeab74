#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// One fuzz input holds a .db file and optionally its .MB: a 32-bit little-endian length,
// that many bytes of .db, then the .MB. A length that does not fit leaves no .MB.
namespace paradox::fuzz {

struct Input {
    std::string_view db;
    std::string_view mb;
    bool hasMb = false;
};

inline Input split(const std::uint8_t* data, std::size_t size) {
    const auto* chars = reinterpret_cast<const char*>(data);
    if (size < 4)
        return {std::string_view(chars, size), {}, false};
    const std::size_t n = std::size_t(data[0]) | std::size_t(data[1]) << 8 |
                          std::size_t(data[2]) << 16 | std::size_t(data[3]) << 24;
    if (n > size - 4)
        return {std::string_view(chars + 4, size - 4), {}, false};
    return {std::string_view(chars + 4, n), std::string_view(chars + 4 + n, size - 4 - n), true};
}

} // namespace paradox::fuzz
