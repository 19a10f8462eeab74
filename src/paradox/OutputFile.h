#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace paradox {

// A new file under a temporary name in the target folder, written through a buffer. The
// destructor removes it unless it was moved into place with publish().
class OutputFile {
public:
    // Creates "<folder>/~<stem>-XXXXXX.tmp"; `table` names the table in errors.
    OutputFile(const std::filesystem::path& folder, const std::string& stem, std::string table);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Appends at the end of what was written so far.
    void append(const void* data, std::size_t n);
    // Appends n zero bytes.
    void appendZeros(std::size_t n);
    // Overwrites bytes already written (or reserved with appendZeros).
    void writeAt(std::uint64_t offset, const void* data, std::size_t n);
    std::uint64_t size() const { return m_size; }

    // Writes out the buffer, forces the bytes to disk when `durable`, and closes the file.
    void finish(bool durable);
    // Renames the finished file to `target`, replacing a file of that name.
    void publish(const std::filesystem::path& target);

    const std::filesystem::path& path() const { return m_path; }

private:
    void flush();
    [[noreturn]] void fail(const std::string& what) const;

    std::filesystem::path m_path;
    std::string m_table;
    int m_fd = -1;
    std::vector<unsigned char> m_buffer;
    std::uint64_t m_flushed = 0;
    std::uint64_t m_size = 0;
    bool m_published = false;
};

// Forces the folder's entries (renames, removals) to disk.
void syncFolder(const std::filesystem::path& folder);

} // namespace paradox
