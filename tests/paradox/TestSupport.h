#pragma once

#include "paradox/TableReader.h"
#include "paradox/TableWriter.h"
#include "paradox/Value.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace paradox::test {

namespace fs = std::filesystem;

// The folder of real Paradox tables given to the build.
fs::path fixtures();

// A fixture table, e.g. fixture("fields/memo.db").
fs::path fixture(const std::string& relative);

// Every fixture table, as fixture() names them.
const std::vector<std::string>& fixtureTables();

// A fresh folder removed with everything in it at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const fs::path& path() const { return m_path; }
    fs::path operator/(const std::string& name) const { return m_path / name; }
    // The names of the files in the folder, sorted.
    std::vector<std::string> names() const;

private:
    fs::path m_path;
};

using Rows = std::vector<std::vector<Value>>;

// Every record of a table read with the library.
Rows readAll(const fs::path& dbFile, const ReadOptions& options = {});

// Writes a table with the library and commits it.
void writeTable(const fs::path& dbFile, const std::vector<FieldDefinition>& fields,
                const Rows& rows, const WriteOptions& options = {});

// The whole file as bytes.
std::string fileBytes(const fs::path& file);
void writeFileBytes(const fs::path& file, const std::string& bytes);

// A test name made of a fixture path ("fields/memo.db" -> "fields_memo_db").
std::string paramName(const std::string& path);

// Printable form of a value for failure messages.
std::string show(const Value& v);

} // namespace paradox::test

namespace paradox {
// Lets GoogleTest print values in its failure messages.
inline void PrintTo(const Value& v, std::ostream* os) { *os << test::show(v); }
} // namespace paradox

// Fails the running test when the Paradox fixtures are missing from the source tree.
#define REQUIRE_PARADOX_FIXTURES()                                                                 \
    do {                                                                                           \
        if (!std::filesystem::is_directory(::paradox::test::fixtures()))                           \
            FAIL() << "Paradox fixtures not found at " << ::paradox::test::fixtures();             \
    } while (0)
