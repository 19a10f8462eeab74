#pragma once

#include "paradox/ByteSource.h"
#include "paradox/Scramble.h"

#include <memory>
#include <vector>

namespace paradox {

// The .MB file of a password-protected table, read as plain bytes. A partial chunk at the
// end of the file cannot be unscrambled and counts as missing.
class ScrambledMemoSource : public ByteSource {
public:
    ScrambledMemoSource(std::unique_ptr<ByteSource> file, std::uint32_t checksum);

    std::uint64_t size() const override;
    std::size_t readAt(std::uint64_t offset, void* buffer, std::size_t n) override;

private:
    std::unique_ptr<ByteSource> m_file;
    Scramble m_scramble;
    std::vector<unsigned char> m_chunks;
};

} // namespace paradox
