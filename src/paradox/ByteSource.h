#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace paradox {

// Random-access bytes the reader works on: a file or a buffer. Reads past the end are
// short, never an error; a failing device throws Error.
class ByteSource {
public:
    virtual ~ByteSource() = default;

    virtual std::uint64_t size() const = 0;
    // Copies up to n bytes from offset into buffer and returns how many it copied.
    virtual std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t n) = 0;

    // Reads exactly n bytes or throws Error naming table and what was being read.
    void readExact(std::uint64_t offset, void* buffer, std::size_t n, const std::string& table,
                   const char* what);
};

// A file opened read-only; closed by the destructor.
class FileSource : public ByteSource {
public:
    // Throws Error (with the file name as table) when the file cannot be opened.
    explicit FileSource(const std::filesystem::path& path);
    ~FileSource() override;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::uint64_t size() const override { return m_size; }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t n) override;

private:
    int m_fd = -1;
    std::uint64_t m_size = 0;
    std::string m_name;
};

// Bytes held by the caller, who keeps them alive while the source is used.
class MemorySource : public ByteSource {
public:
    MemorySource(const void* data, std::size_t size)
        : m_data(static_cast<const unsigned char*>(data)), m_size(size) {}

    std::uint64_t size() const override { return m_size; }
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t n) override;

private:
    const unsigned char* m_data;
    std::size_t m_size;
};

} // namespace paradox
