#pragma once

#include "paradox/ByteSource.h"
#include "paradox/DamageReport.h"
#include "paradox/Error.h"
#include "paradox/TableReader.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
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

using Rows = std::vector<std::vector<Value>>;

// Every record of the input, or nullopt when the reader refuses it with a paradox::Error;
// anything else escapes. A salvage read leaves its report in `report`.
inline std::optional<Rows> readRows(const Input& in, bool salvage, std::string* report = nullptr)
{
    ReadOptions options;
    options.salvage = salvage;
    try {
        TableReader reader(
            std::make_unique<MemorySource>(in.db.data(), in.db.size()), "FUZZ.DB",
            [&in]() -> std::unique_ptr<ByteSource> {
                if (!in.hasMb)
                    return nullptr;
                return std::make_unique<MemorySource>(in.mb.data(), in.mb.size());
            },
            options);
        Rows rows;
        std::vector<Value> row;
        while (reader.next(row))
            rows.push_back(row);
        if (report)
            *report = reader.damage()->text();
        return rows;
    } catch (const Error&) {
        return std::nullopt;
    }
}

// Equal values, a NaN equal to the same NaN.
inline bool sameRows(const Rows& a, const Rows& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t r = 0; r < a.size(); ++r) {
        if (a[r].size() != b[r].size())
            return false;
        for (std::size_t i = 0; i < a[r].size(); ++i) {
            const Value& x = a[r][i];
            const Value& y = b[r][i];
            const bool same = x.kind() == Value::Kind::Double && y.kind() == Value::Kind::Double
                                  ? std::bit_cast<std::uint64_t>(x.toDouble()) ==
                                        std::bit_cast<std::uint64_t>(y.toDouble())
                                  : x == y;
            if (!same)
                return false;
        }
    }
    return true;
}

// Reads the input as the reader's callers do, then salvages it. A salvage read that reports
// no damage must give what the plain read gives, and one that refuses must be refusing a
// header the plain read refuses too; a breach aborts, which the fuzzer counts as a finding.
inline void readAll(const Input& in)
{
    const auto plain = readRows(in, false);
    std::string report;
    const auto salvaged = readRows(in, true, &report);
    if (!salvaged) {
        if (plain)
            std::abort();
        return;
    }
    if (report.empty() && (!plain || !sameRows(*plain, *salvaged)))
        std::abort();
}

} // namespace paradox::fuzz
