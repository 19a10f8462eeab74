#pragma once

#include "paradox/Header.h"

#include <filesystem>
#include <vector>

namespace paradox {

class ByteSource;

// The fields a table's validity file (.VAL) marks required, one flag per field of the
// table; all false where the file does not say so beyond doubt (see
// docs/paradox-keyed-tables.md). `changeCount2` is the table header's byte 0x2E, which the
// file repeats; a file that does not is taken for another table's. Never throws.
std::vector<bool> readRequiredFields(ByteSource& val, const TableHeader& table,
                                     std::uint8_t changeCount2);

} // namespace paradox
