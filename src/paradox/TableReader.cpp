#include "paradox/TableReader.h"

#include "paradox/BlobReader.h"
#include "paradox/BlockPlan.h"
#include "paradox/ByteOrder.h"
#include "paradox/ByteSource.h"
#include "paradox/DamageReport.h"
#include "paradox/Error.h"
#include "paradox/Layout.h"
#include "paradox/RecordDecoder.h"
#include "paradox/Scramble.h"
#include "paradox/ScrambledMemoSource.h"
#include "paradox/TableFiles.h"

namespace paradox {

using namespace layout;

std::unique_ptr<TableReader> TableReader::open(const std::filesystem::path& dbFile,
                                               const ReadOptions& options)
{
    auto db = std::make_unique<FileSource>(dbFile);
    const std::string table = dbFile.filename().string();
    BlobOpener openBlobs = [dbFile]() -> std::unique_ptr<ByteSource> {
        const auto mb = findCompanion(dbFile, "MB");
        if (!mb)
            return nullptr;
        return std::make_unique<FileSource>(*mb);
    };
    return std::make_unique<TableReader>(std::move(db), table, std::move(openBlobs), options);
}

TableReader::TableReader(std::unique_ptr<ByteSource> db, std::string table, BlobOpener openBlobs,
                         const ReadOptions& options)
    : m_db(std::move(db)), m_table(std::move(table)), m_openBlobs(std::move(openBlobs))
{
    m_header = readHeader(*m_db, m_table, options.encoding);
    m_decoder = std::make_unique<RecordDecoder>(m_header, m_table,
                                                [this]() -> BlobReader& { return blobs(); });
    m_block.resize(std::size_t(m_header.blockSize));
    m_visited.assign(std::size_t(m_header.fileBlocks) + 1, false);
    m_nextBlock = m_header.firstBlock;
    if (m_header.encrypted)
        m_scramble = std::make_unique<Scramble>(m_header.passwordChecksum);
    if (options.salvage) {
        m_plan = std::make_unique<BlockPlan>(planBlocks(*m_db, m_header, m_scramble.get()));
        m_damage = std::make_unique<DamageReport>(m_header, mbName());
        m_damage->plan(*m_plan, m_header.fileBlocks);
        m_decoder->keepLostValues(
            [this](const Field& f, BlobError::Kind kind) { m_damage->lostValue(f, kind); });
    }
}

TableReader::~TableReader() = default;

std::string TableReader::mbName() const
{
    std::string name = m_table;
    if (const auto dot = name.rfind('.'); dot != std::string::npos)
        name.erase(dot);
    return name + ".MB";
}

BlobReader& TableReader::blobs()
{
    if (!m_blobs) {
        auto file = m_openBlobs && !m_noBlobs ? m_openBlobs() : nullptr;
        if (!file) {
            m_noBlobs = true;
            throw BlobError(m_table, "a value is stored in the memo file, which is missing",
                            BlobError::Kind::Missing);
        }
        if (m_header.encrypted)
            file =
                std::make_unique<ScrambledMemoSource>(std::move(file), m_header.passwordChecksum);
        m_blobs = std::make_unique<BlobReader>(std::move(file), m_table, mbName());
    }
    return *m_blobs;
}

bool TableReader::next(std::vector<Value>& row)
{
    if (m_plan)
        return nextSalvaged(row);
    while (m_inBlock == m_blockRecords) {
        if (m_done || !nextBlock()) {
            m_done = true;
            if (m_read != m_header.recordCount)
                throw Error(m_table, "the header counts " + std::to_string(m_header.recordCount) +
                                         " records but the blocks hold " + std::to_string(m_read));
            return false;
        }
    }
    const std::size_t at = kBlockHeaderSize + std::size_t(m_inBlock) * m_header.recordSize;
    ++m_inBlock;
    ++m_read;
    m_decoder->decode(m_block.data() + at, row, m_read);
    return true;
}

bool TableReader::nextBlock()
{
    const int b = m_nextBlock;
    if (b == 0)
        return false;
    const std::string where = "block " + std::to_string(b);
    if (b > m_header.fileBlocks)
        throw Error(m_table, "the block chain leads to " + where + " but the file has " +
                                 std::to_string(m_header.fileBlocks) + " blocks");
    if (m_visited[std::size_t(b)])
        throw Error(m_table, "the block chain runs in a circle at " + where);
    m_visited[std::size_t(b)] = true;

    const std::uint64_t at =
        std::uint64_t(m_header.headerSize) + std::uint64_t(b - 1) * m_header.blockSize;
    std::size_t got = m_db->readAt(at, m_block.data(), m_block.size());
    if (m_scramble) {
        got -= got % Scramble::kChunk; // a partial chunk cannot be unscrambled
        m_scramble->decodeBlock(m_block.data(), got, b);
    }
    if (got < std::size_t(kBlockHeaderSize))
        throw Error(m_table, "the file is truncated: " + where + " is missing");
    m_nextBlock = bytes::le16(m_block.data());
    const int lastOffset = std::int16_t(bytes::le16(m_block.data() + 4));
    m_inBlock = 0;
    m_blockRecords = 0;
    if (lastOffset < 0)
        return true; // an empty block
    const int rs = m_header.recordSize;
    const std::size_t end = std::size_t(kBlockHeaderSize) + std::size_t(lastOffset) + rs;
    if (lastOffset % rs != 0 || end > m_block.size())
        throw Error(m_table, where + " is damaged: its record count does not fit the block");
    if (end > got)
        throw Error(m_table, "the file is truncated inside " + where);
    m_blockRecords = lastOffset / rs + 1;
    return true;
}

bool TableReader::nextSalvaged(std::vector<Value>& row)
{
    for (;;) {
        while (m_inBlock == m_blockRecords) {
            if (m_done || !nextSalvageBlock()) {
                if (!m_done)
                    m_damage->recordCount(m_read + m_unreadable);
                m_done = true;
                return false;
            }
        }
        const std::size_t at = kBlockHeaderSize + std::size_t(m_inBlock) * m_header.recordSize;
        ++m_inBlock;
        try {
            m_decoder->decode(m_block.data() + at, row, m_read + m_unreadable + 1);
            ++m_read;
            return true;
        } catch (const ValueError& e) {
            ++m_unreadable;
            m_damage->unreadableValue(e.cause());
        }
    }
}

bool TableReader::nextSalvageBlock()
{
    while (m_planAt < m_plan->blocks.size()) {
        const int b = m_plan->blocks[m_planAt++];
        const std::uint64_t at =
            std::uint64_t(m_header.headerSize) + std::uint64_t(b - 1) * m_header.blockSize;
        std::size_t got = m_db->readAt(at, m_block.data(), m_block.size());
        if (m_scramble) {
            got -= got % Scramble::kChunk;
            m_scramble->decodeBlock(m_block.data(), got, b);
        }
        const BlockView v = judgeBlock(m_block.data(), got, m_header, m_plan->blockCount);
        m_damage->block(b, v);
        m_inBlock = 0;
        m_blockRecords = v.present;
        if (m_blockRecords > 0)
            return true;
    }
    return false;
}

} // namespace paradox
