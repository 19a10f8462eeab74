#pragma once

#include <cstdint>
#include <filesystem>

// A table larger than 4 KB blocks can hold: 1,200,000 rows of a varchar(40)-like Alpha 255,
// a Number, a Long Integer (a decimal(9,0)) and a Timestamp, 275 bytes a record. Written
// with the library (the row count announced, so that it picks the block size) and read back
// with pxlib; both sides fold the values into the same checksum.
namespace bigtable {

constexpr long kRows = 1'200'000;

struct Outcome {
    double checksum = 0; // an integer below 2^52, exact in a double
    double rows = 0;
};

// Writes the table with the Paradox library; the checksum is of the values it was given.
Outcome writeWithLibrary(const std::filesystem::path& file);

// Reads the table with pxlib; the checksum is of the values pxlib returns.
Outcome readWithPxlib(const std::filesystem::path& file);

} // namespace bigtable
