#include "paradox/BlockSize.h"

#include "paradox/Error.h"
#include "paradox/Layout.h"
#include "paradox/TableWriter.h"

#include <algorithm>
#include <array>

namespace paradox {

using namespace layout;

namespace {

constexpr std::array<int, 5> kAllowed = {1024, 2048, 4096, 16384, 32768};
constexpr std::uint64_t kMaxRecordCount = 0xFFFFFFFFu; // the header's 32-bit count

// 1234567 -> "1,234,567", for messages about large counts.
std::string grouped(std::uint64_t n)
{
    std::string digits = std::to_string(n);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(std::size_t(at), ",");
    return digits;
}

} // namespace

std::span<const int> allowedBlockSizes() { return kAllowed; }

std::uint64_t maxRecords(int blockSize, int recordSize)
{
    if (recordSize <= 0 || recordSize > blockSize - kBlockHeaderSize)
        return 0;
    const std::uint64_t perBlock = std::uint64_t((blockSize - kBlockHeaderSize) / recordSize);
    return std::min(perBlock * std::uint64_t(kMaxBlocks), kMaxRecordCount);
}

std::optional<int> blockSizeFor(int recordSize, std::uint64_t rows)
{
    for (const int size : kAllowed)
        if (maxRecords(size, recordSize) > 0 && rows <= maxRecords(size, recordSize))
            return size;
    return std::nullopt;
}

int requireBlockSize(const std::string& table, int recordSize, std::uint64_t rows)
{
    if (const auto size = blockSizeFor(recordSize, rows))
        return *size;
    const int largest = kAllowed.back();
    if (recordSize > largest - kBlockHeaderSize)
        throw Error(table, "a record of " + std::to_string(recordSize) +
                               " bytes does not fit a block of " + std::to_string(largest) +
                               " bytes, the largest a Paradox table has");
    throw Error(table, grouped(rows) + " rows do not fit a Paradox table: its " +
                           grouped(kMaxBlocks) + " blocks of " + std::to_string(largest / 1024) +
                           " KB hold at most " + grouped(maxRecords(largest, recordSize)) +
                           " records of " + std::to_string(recordSize) + " bytes");
}

int requireBlockSize(const std::string& table, const std::vector<FieldDefinition>& fields,
                     std::uint64_t rows)
{
    int recordSize = 0;
    for (const FieldDefinition& f : fields)
        recordSize += recordWidthOf(f).value_or(0);
    return requireBlockSize(table, recordSize, rows);
}

} // namespace paradox
