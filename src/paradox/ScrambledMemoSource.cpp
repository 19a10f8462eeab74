#include "paradox/ScrambledMemoSource.h"

#include <algorithm>
#include <cstring>

namespace paradox {

namespace {

constexpr std::size_t kChunk = Scramble::kChunk;
constexpr std::size_t kBatch = 256 * kChunk; // chunks read from the file at once

} // namespace

ScrambledMemoSource::ScrambledMemoSource(std::unique_ptr<ByteSource> file, std::uint32_t checksum)
    : m_file(std::move(file)), m_scramble(checksum)
{
}

std::uint64_t ScrambledMemoSource::size() const
{
    const std::uint64_t whole = m_file->size();
    return whole - whole % kChunk;
}

std::size_t ScrambledMemoSource::readAt(std::uint64_t offset, void* buffer, std::size_t n)
{
    const std::uint64_t end = std::min<std::uint64_t>(size(), offset + n);
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    // Whole chunks from the one holding `offset` to the one holding `end - 1`.
    for (std::uint64_t first = offset - offset % kChunk; first < end;) {
        const std::uint64_t last = (end + kChunk - 1) / kChunk * kChunk;
        const std::size_t span = std::size_t(std::min<std::uint64_t>(kBatch, last - first));
        m_chunks.resize(span);
        const std::size_t got = m_file->readAt(first, m_chunks.data(), span);
        const std::size_t whole = got - got % kChunk;
        m_scramble.decodeMemo(m_chunks.data(), whole);
        const std::uint64_t from = std::max(offset, first);
        const std::uint64_t to = std::min(end, first + whole);
        if (to > from) {
            std::memcpy(out + (from - offset), m_chunks.data() + (from - first),
                        std::size_t(to - from));
            done += std::size_t(to - from);
        }
        if (whole < span)
            break;
        first += span;
    }
    return done;
}

} // namespace paradox
