#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace paradox {

struct FieldDefinition;

// Block sizes in bytes that a Paradox 5.x table may have, smallest first: 1, 2 and 4 KB, and
// 16 and 32 KB, which need table level 5 or later (see docs/paradox-block-sizes.md).
std::span<const int> allowedBlockSizes();

// The most records of `recordSize` bytes that a table of blocks of `blockSize` bytes holds
// (65,535 blocks); 0 when a record does not fit a block.
std::uint64_t maxRecords(int blockSize, int recordSize);

// The smallest allowed block size whose blocks hold a record of `recordSize` bytes and whose
// 65,535 blocks hold `rows` records; nothing when no allowed size can hold the table.
std::optional<int> blockSizeFor(int recordSize, std::uint64_t rows);

// As blockSizeFor, or Error naming `table` and the limit when no allowed size can hold it.
int requireBlockSize(const std::string& table, int recordSize, std::uint64_t rows);
// The same for the fields a TableWriter is given (invalid fields are the writer's to refuse).
int requireBlockSize(const std::string& table, const std::vector<FieldDefinition>& fields,
                     std::uint64_t rows);

} // namespace paradox
