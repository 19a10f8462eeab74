#pragma once

#include "paradox/Error.h"

#include <cstdint>
#include <memory>
#include <string>

namespace paradox {

class ByteSource;

// A BLOb value that cannot be read: its .MB is missing, ends too early or is damaged.
class BlobError : public Error {
public:
    enum class Kind { Missing, Cut, Damaged };

    BlobError(const std::string& table, const std::string& cause, Kind kind)
        : Error(table, cause), m_kind(kind)
    {
    }
    Kind kind() const noexcept { return m_kind; }

private:
    Kind m_kind;
};

// Reads BLOb values from a .MB file, checking every pointer a record gives before
// following it: a damaged or hostile file gives a BlobError, never a read out of bounds.
class BlobReader {
public:
    BlobReader(std::unique_ptr<ByteSource> file, std::string table, std::string fileName);
    ~BlobReader();

    // Appends the value that a record's BLOb tail (offset and index, length) points to.
    void read(std::uint32_t offsetIndex, std::uint32_t length, std::string& out);

private:
    [[noreturn]] void fail(const std::string& what,
                           BlobError::Kind kind = BlobError::Kind::Damaged) const;
    void readSingle(std::uint64_t offset, std::uint32_t index, std::uint32_t length,
                    std::string& out);
    void readSub(std::uint64_t offset, std::uint32_t index, std::uint32_t length, std::string& out);
    void copy(std::uint64_t offset, std::uint32_t length, std::string& out);

    std::unique_ptr<ByteSource> m_file;
    std::string m_table;
    std::string m_fileName;
};

} // namespace paradox
