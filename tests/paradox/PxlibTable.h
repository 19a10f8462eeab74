#pragma once

// pxlib (Debian's Paradox library) as an independent oracle: tables read and written through
// it, with its values turned into the library's kinds by code of the tests' own.

#include "paradox/Value.h"

#include <filesystem>
#include <string>
#include <vector>

namespace paradox::test {

struct PxlibField {
    std::string name;
    int type = 0;     // pxlib's type code (the same numbers as the file's)
    int length = 0;   // bytes in the record
    int decimals = 0; // BCD
};

struct PxlibTable {
    std::vector<PxlibField> fields;
    std::vector<std::vector<Value>> rows;
    // False where pxlib's value cannot be taken as a statement about the file (text it could
    // not convert, BCD digits it prints as punctuation).
    std::vector<std::vector<bool>> trusted;
    bool encodingSet = false;
    std::vector<std::string> errors;
};

// Reads a table with pxlib; `mbFile` may be empty. pxlib 0.6.8 overruns its stack when it
// opens a .MB file itself (a 12-byte block header read into a 9-byte struct), so the .MB is
// wired to pxlib's BLOb reader here.
PxlibTable readWithPxlib(const std::filesystem::path& dbFile, const std::filesystem::path& mbFile);

// Writes a table with pxlib (it writes Paradox 7 files, code page 1252); values as the
// library's kinds, Null for NULL. Memo text goes out in code page 1252.
void writeWithPxlib(const std::filesystem::path& dbFile, const std::vector<PxlibField>& fields,
                    const std::vector<std::vector<Value>>& rows);

} // namespace paradox::test
