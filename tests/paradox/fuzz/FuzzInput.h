#pragma once

#include "paradox/ByteSource.h"
#include "paradox/Error.h"
#include "paradox/TableReader.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

// One fuzz input holds a .db file and optionally its .MB: a 32-bit little-endian length,
// that many bytes of .db, then the .MB. A length that does not fit leaves no .MB.
namespace paradox::fuzz {

struct Input {
    std::string_view db;
    std::string_view mb;
    bool hasMb = false;
};

inline Input split(const std::uint8_t* data, std::size_t size)
{
    const auto* chars = reinterpret_cast<const char*>(data);
    if (size < 4)
        return {std::string_view(chars, size), {}, false};
    const std::size_t n = std::size_t(data[0]) | std::size_t(data[1]) << 8 |
                          std::size_t(data[2]) << 16 | std::size_t(data[3]) << 24;
    if (n > size - 4)
        return {std::string_view(chars + 4, size - 4), {}, false};
    return {std::string_view(chars + 4, n), std::string_view(chars + 4 + n, size - 4 - n), true};
}

// Reads every record of the input as the reader's callers do; a paradox::Error is a clean
// refusal, anything else escapes.
inline void readAll(const Input& in)
{
    try {
        TableReader reader(std::make_unique<MemorySource>(in.db.data(), in.db.size()), "FUZZ.DB",
                           [&in]() -> std::unique_ptr<ByteSource> {
                               if (!in.hasMb)
                                   return nullptr;
                               return std::make_unique<MemorySource>(in.mb.data(), in.mb.size());
                           });
        std::vector<Value> row;
        while (reader.next(row)) {
        }
    } catch (const Error&) {
    }
}

} // namespace paradox::fuzz
