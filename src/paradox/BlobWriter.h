#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace paradox {

class OutputFile;

// Writes the .MB file of a new table, append-only: values above 2 KB get a block of their
// own, smaller ones share 4 KB blocks of 64 entries. Only the block being filled is held
// in memory.
class BlobWriter {
public:
    BlobWriter(const std::filesystem::path& folder, const std::string& stem, std::string table);
    ~BlobWriter();

    // Stores a value and returns the tail's offset-and-index word.
    std::uint32_t store(std::string_view value);
    // The modification number every stored value carries.
    static constexpr std::uint16_t kModification = 1;

    OutputFile& file() { return *m_file; }
    void finish(bool durable);

private:
    std::uint32_t storeSingle(std::string_view value);
    std::uint32_t storeSmall(std::string_view value);
    void closeSubBlock();

    std::unique_ptr<OutputFile> m_file;
    std::string m_table;
    std::array<unsigned char, 4096> m_sub{};
    std::uint64_t m_subOffset = 0; // 0: no block being filled
    int m_nextEntry = 0;
    int m_nextChunk = 0;
};

} // namespace paradox
