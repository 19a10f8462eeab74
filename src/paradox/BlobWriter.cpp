#include "paradox/BlobWriter.h"

#include "paradox/ByteOrder.h"
#include "paradox/Error.h"
#include "paradox/Layout.h"
#include "paradox/OutputFile.h"

namespace paradox {

using bytes::putLe16;
using bytes::putLe32;
using namespace layout;

namespace {

// The header block: what every Paradox-written .MB file starts with.
std::array<unsigned char, kMbUnit> headerBlock() {
    std::array<unsigned char, kMbUnit> h{};
    h[0] = kMbHeaderBlock;
    putLe16(h.data() + 1, 1); // one 4 KB unit
    putLe16(h.data() + 3, 1); // modification count
    const unsigned char constant[] = {0x82, 0x73, 0x02, 0x00, 0x29};
    std::copy(std::begin(constant), std::end(constant), h.begin() + 5);
    putLe16(h.data() + 0x0B, 0x1000);
    putLe16(h.data() + 0x0D, 0x1000);
    h[0x10] = 0x10;
    putLe16(h.data() + 0x11, 0x0040);
    putLe16(h.data() + 0x13, 0x0800);
    putLe16(h.data() + 0x29, 0x02A1);
    return h;
}

constexpr std::uint64_t kMaxOffset = 0xFFFFFF00u;

} // namespace

BlobWriter::BlobWriter(const std::filesystem::path& folder, const std::string& stem,
                       std::string table)
    : m_file(std::make_unique<OutputFile>(folder, stem, table)), m_table(std::move(table)) {
    const auto h = headerBlock();
    m_file->append(h.data(), h.size());
}

BlobWriter::~BlobWriter() = default;

std::uint32_t BlobWriter::store(std::string_view value) {
    return value.size() > kMbSmallLimit ? storeSingle(value) : storeSmall(value);
}

std::uint32_t BlobWriter::storeSingle(std::string_view value) {
    const std::uint64_t units = (kMbSingleHeader + value.size() + kMbUnit - 1) / kMbUnit;
    const std::uint64_t offset = m_file->size();
    if (units > 0xFFFF || offset > kMaxOffset)
        throw Error(m_table, "a value of " + std::to_string(value.size()) +
                                 " bytes does not fit in the memo file");
    unsigned char head[kMbSingleHeader];
    head[0] = kMbSingleBlock;
    putLe16(head + 1, std::uint16_t(units));
    putLe32(head + 3, std::uint32_t(value.size()));
    putLe16(head + 7, kModification);
    m_file->append(head, sizeof head);
    m_file->append(value.data(), value.size());
    m_file->appendZeros(units * kMbUnit - kMbSingleHeader - value.size());
    return std::uint32_t(offset) | kMbSingleIndex;
}

std::uint32_t BlobWriter::storeSmall(std::string_view value) {
    const int chunks = int((value.size() + kMbChunk - 1) / kMbChunk);
    if (m_subOffset == 0 || m_nextEntry < 0 || m_nextChunk + chunks > int(kMbChunks)) {
        closeSubBlock();
        m_subOffset = m_file->size();
        if (m_subOffset > kMaxOffset)
            throw Error(m_table, "the memo file grows beyond 4 GB");
        m_file->appendZeros(kMbUnit); // reserved; written when full
        m_sub.fill(0);
        m_sub[0] = kMbSubBlock;
        putLe16(m_sub.data() + 1, 1);
        m_nextEntry = int(kMbSubEntries) - 1;
        m_nextChunk = int(kMbFirstChunk);
    }
    const int entry = m_nextEntry--;
    const int chunk = m_nextChunk;
    m_nextChunk += chunks;
    std::copy(value.begin(), value.end(), m_sub.begin() + chunk * std::ptrdiff_t(kMbChunk));
    unsigned char* e = m_sub.data() + kMbSubEntryAt + kMbSubEntrySize * std::size_t(entry);
    e[0] = std::uint8_t(chunk);
    e[1] = std::uint8_t(chunks);
    putLe16(e + 2, kModification);
    e[4] = std::uint8_t(value.size() - (chunks - 1) * kMbChunk);
    return std::uint32_t(m_subOffset) | std::uint32_t(entry);
}

void BlobWriter::closeSubBlock() {
    if (m_subOffset != 0)
        m_file->writeAt(m_subOffset, m_sub.data(), m_sub.size());
    m_subOffset = 0;
}

void BlobWriter::finish(bool durable) {
    closeSubBlock();
    m_file->finish(durable);
}

} // namespace paradox
