#include "paradox/TableWriter.h"

#include "paradox/BlobWriter.h"
#include "paradox/BlockSize.h"
#include "paradox/ByteOrder.h"
#include "paradox/CodePage.h"
#include "paradox/Error.h"
#include "paradox/FolderLock.h"
#include "paradox/HeaderWriter.h"
#include "paradox/Layout.h"
#include "paradox/OutputFile.h"
#include "paradox/RecordEncoder.h"
#include "paradox/TableFiles.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <optional>

namespace paradox {

namespace fs = std::filesystem;
using namespace layout;

namespace {

constexpr std::size_t kMaxFieldName = 25;

fs::path folderOf(const fs::path& file)
{
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

// The field's descriptor size byte, or nothing when the requested size is not allowed.
std::optional<int> sizeByteFor(const FieldDefinition& s)
{
    switch (s.type) {
    case FieldType::Alpha:
    case FieldType::Bytes:
        return s.size >= 1 && s.size <= 255 ? std::optional<int>(s.size) : std::nullopt;
    case FieldType::Memo:
        return s.size >= 11 && s.size <= 250 ? std::optional<int>(s.size) : std::nullopt;
    case FieldType::Blob:
    case FieldType::FormattedMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return s.size >= 10 && s.size <= 250 ? std::optional<int>(s.size) : std::nullopt;
    case FieldType::Bcd:
        return s.size >= 0 && s.size <= 32 ? std::optional<int>(s.size) : std::nullopt;
    case FieldType::Short:
        return 2;
    case FieldType::Logical:
        return 1;
    case FieldType::Date:
    case FieldType::Long:
    case FieldType::Time:
    case FieldType::AutoIncrement:
        return 4;
    case FieldType::Money:
    case FieldType::Number:
    case FieldType::Timestamp:
        return 8;
    }
    return std::nullopt;
}

// The file name in the code page, for the header's table-name field (never relied upon).
std::string rawTableName(const std::string& name, const TextEncoder& encoder)
{
    std::string raw;
    char32_t bad = 0;
    if (encoder.encode(name, raw, bad))
        return raw;
    raw.clear();
    for (char c : name)
        raw.push_back(static_cast<unsigned char>(c) < 0x80 ? c : '_');
    return raw;
}

} // namespace

std::optional<int> recordWidthOf(const FieldDefinition& definition)
{
    const auto size = sizeByteFor(definition);
    return size ? recordWidth(definition.type, *size) : std::nullopt;
}

TableWriter::TableWriter(const fs::path& dbFile, std::vector<FieldDefinition> fields,
                         const WriteOptions& options)
    : m_target(dbFile), m_table(dbFile.filename().string()), m_options(options)
{
    if (!driverForCodePage(options.codePage) ||
        !TextEncoder("CP" + std::to_string(options.codePage)).valid())
        throw Error(m_table, "code page " + std::to_string(options.codePage) +
                                 " is not supported for writing");
    checkFields(fields);
    chooseBlockSize();
    if (!options.replace && existingTable())
        throw Error(m_table, kTableExists);

    m_perBlock = (m_blockSize - kBlockHeaderSize) / m_recordSize;
    m_block.assign(std::size_t(m_blockSize), 0);
    m_record.assign(std::size_t(m_recordSize), 0);

    HeaderFacts facts;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        facts.fields.push_back({m_fields[i].type, m_fields[i].size, m_rawNames[i]});
    facts.driver = driverForCodePage(options.codePage);
    m_headerSize = headerSizeFor(facts);

    const std::string stem = m_target.stem().string();
    removeDeadTemporaryFiles(folderOf(m_target));
    m_db = std::make_unique<OutputFile>(folderOf(m_target), stem, m_table);
    m_db->appendZeros(m_headerSize);
    if (m_hasBlobFields)
        m_blobs = std::make_unique<BlobWriter>(folderOf(m_target), stem, m_table);
    m_encoder = std::make_unique<RecordEncoder>(m_fields, m_table, options.codePage,
                                                [this]() -> BlobWriter& { return blobs(); });
}

TableWriter::~TableWriter() = default;

void TableWriter::checkFields(const std::vector<FieldDefinition>& definitions)
{
    if (definitions.empty() || definitions.size() > std::size_t(kMaxFields))
        throw Error(m_table,
                    "a table has 1 to 255 fields, not " + std::to_string(definitions.size()));
    const TextEncoder encoder("CP" + std::to_string(m_options.codePage));
    int offset = 0;
    for (const FieldDefinition& s : definitions) {
        const std::string column = "column " + s.name + ": ";
        std::string raw;
        char32_t bad = 0;
        if (s.name.empty())
            throw Error(m_table, "a field has no name");
        if (!encoder.encode(s.name, raw, bad))
            throw Error(m_table, column + "the name cannot be written in code page " +
                                     std::to_string(m_options.codePage));
        if (raw.size() > kMaxFieldName || raw.find('\0') != std::string::npos)
            throw Error(m_table, column + "a Paradox field name has at most 25 characters");
        for (const Field& f : m_fields)
            if (sameNameIgnoringCase(f.name, s.name))
                throw Error(m_table, column + "the name is used twice");
        const auto size = sizeByteFor(s);
        if (!size)
            throw Error(m_table, column + "a field of type " + fieldTypeName(s.type) +
                                     " cannot have the size " + std::to_string(s.size));
        const int width = *recordWidth(s.type, *size);
        m_fields.push_back(Field{s.name, s.type, *size, width, offset});
        m_rawNames.push_back(raw);
        offset += width;
        m_hasBlobFields = m_hasBlobFields || isBlobType(s.type);
    }
    m_recordSize = offset;
}

// The block size the caller gave, or with a row count the smallest that holds the table.
void TableWriter::chooseBlockSize()
{
    if (m_options.rows) {
        m_blockSize = requireBlockSize(m_table, m_recordSize, *m_options.rows);
        return;
    }
    const auto allowed = allowedBlockSizes();
    m_blockSize = m_options.blockSize;
    if (std::find(allowed.begin(), allowed.end(), m_blockSize) == allowed.end())
        throw Error(m_table, "a Paradox 5.x table has blocks of 1, 2, 4, 16 or 32 KB, not " +
                                 std::to_string(m_blockSize) + " bytes");
    if (m_recordSize > m_blockSize - kBlockHeaderSize)
        throw Error(m_table, "a record of " + std::to_string(m_recordSize) +
                                 " bytes does not fit a block of " + std::to_string(m_blockSize) +
                                 " bytes");
}

std::string TableWriter::tooManyRows() const
{
    return "more rows came than the " + std::to_string(*m_options.rows) +
           " announced; the table is not written";
}

BlobWriter& TableWriter::blobs() { return *m_blobs; }

void TableWriter::append(const std::vector<Value>& row)
{
    if (m_committed)
        throw Error(m_table, "the table is already written");
    if (m_options.rows && m_records == *m_options.rows) {
        m_tooManyRows = true;
        throw Error(m_table, tooManyRows());
    }
    if (m_records == 0xFFFFFFFFu)
        throw Error(m_table, "a Paradox table holds at most 4294967295 records");
    m_encoder->encode(row, m_record.data());
    if (m_inBlock == m_perBlock) {
        if (m_blocks + 1 >= kMaxBlocks)
            throw Error(m_table, "the table grows beyond the 65535 blocks of a Paradox file");
        writeBlock(false);
    }
    std::memcpy(m_block.data() + kBlockHeaderSize + std::size_t(m_inBlock) * m_recordSize,
                m_record.data(), m_record.size());
    ++m_inBlock;
    ++m_records;
}

void TableWriter::writeBlock(bool last)
{
    const int number = m_blocks + 1;
    bytes::putLe16(m_block.data(), std::uint16_t(last ? 0 : number + 1));
    bytes::putLe16(m_block.data() + 2, std::uint16_t(number - 1));
    bytes::putLe16(m_block.data() + 4, std::uint16_t((m_inBlock - 1) * m_recordSize));
    m_db->append(m_block.data(), m_block.size());
    std::memset(m_block.data(), 0, m_block.size());
    m_inBlock = 0;
    m_blocks = number;
}

void TableWriter::commit()
{
    if (m_committed)
        throw Error(m_table, "the table is already written");
    if (m_tooManyRows)
        throw Error(m_table, tooManyRows());
    if (m_inBlock > 0)
        writeBlock(true);
    HeaderFacts facts;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        facts.fields.push_back({m_fields[i].type, m_fields[i].size, m_rawNames[i]});
    facts.recordSize = m_recordSize;
    facts.blockSize = m_blockSize;
    facts.rawTableName =
        rawTableName(m_table, TextEncoder("CP" + std::to_string(m_options.codePage)));
    facts.driver = driverForCodePage(m_options.codePage);
    facts.recordCount = m_records;
    facts.blocks = m_blocks;
    facts.autoIncrement = std::uint32_t(m_encoder->lastAutoIncrement());
    facts.updateTime = std::uint32_t(std::time(nullptr));
    const auto header = buildHeader(facts);
    m_db->writeAt(0, header.data(), header.size());
    m_db->finish(m_options.durable);
    if (m_blobs)
        m_blobs->finish(m_options.durable);
    publish();
    m_committed = true;
}

std::optional<fs::path> TableWriter::existingTable() const
{
    try {
        return findTableFile(folderOf(m_target), tableNameOf(m_target));
    } catch (const fs::filesystem_error& e) {
        throw Error(m_table, "cannot list the folder: " + e.code().message());
    }
}

void TableWriter::publish()
{
    const fs::path folder = folderOf(m_target);
    const std::string stem = m_target.stem().string();
    // From the look for an old table to the last rename no other writer works in the folder.
    const FolderLock publishing(folder, FolderLock::Mode::Exclusive);
    const auto existing = existingTable();
    if (existing && !m_options.replace)
        throw Error(m_table, kTableExists);
    // The old table's family is known while its .db is there, so that a table differing
    // from it only in case never counts as its own.
    std::vector<fs::path> family;
    try {
        family = tableFamily(existing ? *existing : m_target);
    } catch (const fs::filesystem_error& e) {
        throw Error(m_table, "cannot list the folder: " + e.code().message());
    }
    // The old table goes first (its .db before the rest), so that no moment shows a .db
    // with a .MB that is not its own.
    std::error_code ec;
    if (existing && !fs::remove(*existing, ec) && ec)
        throw Error(m_table, "cannot remove the old table: " + ec.message());
    for (const fs::path& old : family)
        if (!fs::remove(old, ec) && ec)
            throw Error(m_table, "cannot remove " + old.filename().string() + ": " + ec.message());
    std::optional<fs::path> memo;
    if (m_blobs) {
        const std::string ext = m_target.extension().string();
        const bool lower = ext.size() > 1 && ext[1] >= 'a' && ext[1] <= 'z';
        memo = folder / (stem + (lower ? ".mb" : ".MB"));
        if (!m_blobs->file().publish(*memo))
            throw Error(m_table, kTableExists);
    }
    // Files that another program put there meanwhile are never replaced.
    if (!m_db->publish(m_target)) {
        if (memo)
            fs::remove(*memo, ec); // the memo file of this writer, placed a moment ago
        throw Error(m_table, kTableExists);
    }
    if (m_options.durable)
        syncFolder(folder);
}

} // namespace paradox
