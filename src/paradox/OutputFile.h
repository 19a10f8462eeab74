#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace paradox {

// A new file under a temporary name in the target folder, written through a buffer. The
// destructor removes it unless it was moved into place with publish(). The file is locked
// (flock) for the object's lifetime: a temporary file that nobody holds locked belongs to a
// run that died, and removeDeadTemporaryFiles may take it away.
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
    // Renames the finished file to `target` unless a file has that name: false then, and
    // nothing changed.
    bool publish(const std::filesystem::path& target);

    const std::filesystem::path& path() const { return m_path; }

private:
    void flush();
    [[noreturn]] void fail(const std::string& what) const;

    std::filesystem::path m_path;
    std::string m_table;
    int m_fd = -1;
    int m_lock = -1; // the same open file as m_fd, holding its lock after finish()
    std::vector<unsigned char> m_buffer;
    std::uint64_t m_flushed = 0;
    std::uint64_t m_size = 0;
    bool m_published = false;
};

// Removes the temporary files that writers no longer running left in the folder: files
// named as OutputFile names them, or as a rename names its copies (".tabulex-copy-XXXXXX",
// locked the same way while they live), that no one holds locked. Never throws.
void removeDeadTemporaryFiles(const std::filesystem::path& folder);

// Forces the folder's entries (renames, removals) to disk.
void syncFolder(const std::filesystem::path& folder);

} // namespace paradox
