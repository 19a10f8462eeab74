#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace paradox {

// Records of one size, read in order, that the sorter merges with its own.
class SortedRecords {
public:
    virtual ~SortedRecords() = default;
    // The next record, or nullptr after the last; valid until the next call.
    virtual const unsigned char* next() = 0;
};

// Sorts fixed-size records by their first `keySize` bytes as unsigned bytes, in bounded
// memory: a full buffer is sorted and spilled to an unlinked file in `folder`, and the runs
// are merged at the end. Records with equal keys keep the order they were added in.
class RecordSorter {
public:
    RecordSorter(std::size_t recordSize, std::size_t keySize, std::filesystem::path folder,
                 std::string table, std::size_t memoryBytes = std::size_t(16) << 20);
    ~RecordSorter();
    RecordSorter(const RecordSorter&) = delete;
    RecordSorter& operator=(const RecordSorter&) = delete;

    void add(const unsigned char* record);
    std::uint64_t size() const { return m_count; }

    // Hands every record, `before`'s first (they come first among equal keys), to `sink` in
    // key order.
    void merge(SortedRecords* before, const std::function<void(const unsigned char*)>& sink);

private:
    struct Run;
    void spill();
    void sortBuffer();
    [[noreturn]] void fail(const std::string& what) const;

    std::size_t m_recordSize;
    std::size_t m_keySize;
    std::filesystem::path m_folder;
    std::string m_table;
    std::size_t m_capacity;
    std::vector<unsigned char> m_buffer;
    std::vector<std::uint32_t> m_order;
    std::size_t m_inBuffer = 0;
    std::uint64_t m_count = 0;
    std::vector<std::unique_ptr<Run>> m_runs;
};

} // namespace paradox
