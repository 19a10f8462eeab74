#include "paradox/TableWriter.h"

#include "paradox/BlobWriter.h"
#include "paradox/BlockSize.h"
#include "paradox/ByteOrder.h"
#include "paradox/CodePage.h"
#include "paradox/Error.h"
#include "paradox/FolderLock.h"
#include "paradox/HeaderWriter.h"
#include "paradox/KeyOrder.h"
#include "paradox/Layout.h"
#include "paradox/OutputFile.h"
#include "paradox/PrimaryIndexWriter.h"
#include "paradox/RecordEncoder.h"
#include "paradox/RecordSorter.h"
#include "paradox/TableFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
    checkKeyFields(m_table, m_fields, options.keyFields);
    m_driver = writerDriverFor(m_table, options.codePage, m_fields, options.keyFields);
    m_keyWidth = keyWidthOf(m_fields, options.keyFields);
    if (options.keyFields > 0 && indexBlockSizeFor(m_keyWidth) == 0)
        throw Error(m_table, "a key of " + std::to_string(m_keyWidth) +
                                 " bytes is too long for a primary index");
    chooseBlockSize();
    if (!options.replace && existingTable())
        throw Error(m_table, kTableExists);

    m_perBlock = (m_blockSize - kBlockHeaderSize) / m_recordSize;
    m_block.assign(std::size_t(m_blockSize), 0);
    m_record.assign(std::size_t(m_recordSize), 0);

    HeaderFacts facts;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        facts.fields.push_back({m_fields[i].type, m_fields[i].size, m_rawNames[i]});
    facts.driver = m_driver;
    m_headerSize = headerSizeFor(facts);

    const std::string stem = m_target.stem().string();
    removeDeadTemporaryFiles(folderOf(m_target));
    m_db = std::make_unique<OutputFile>(folderOf(m_target), stem, m_table);
    m_db->appendZeros(m_headerSize);
    if (m_hasBlobFields)
        m_blobs = std::make_unique<BlobWriter>(folderOf(m_target), stem, m_table);
    if (options.keyFields > 0)
        m_index = std::make_unique<OutputFile>(folderOf(m_target), stem, m_table);
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
    if (m_options.keyFields > 0)
        checkKey();
    if (m_sorter) {
        const std::uint64_t perBlock = std::uint64_t(m_perBlock);
        if ((m_records + perBlock) / perBlock > std::uint64_t(kMaxBlocks))
            throw Error(m_table, "the table grows beyond the 65535 blocks of a Paradox file");
        m_sorter->add(m_record.data());
        ++m_records;
        return;
    }
    putRecord(m_record.data());
    ++m_records;
}

void TableWriter::putRecord(const unsigned char* record)
{
    if (m_inBlock == m_perBlock) {
        if (m_blocks + 1 >= kMaxBlocks)
            throw Error(m_table, "the table grows beyond the 65535 blocks of a Paradox file");
        writeBlock(false);
    }
    std::memcpy(m_block.data() + kBlockHeaderSize + std::size_t(m_inBlock) * m_recordSize, record,
                std::size_t(m_recordSize));
    ++m_inBlock;
}

// Rows in key order go straight into blocks; from the first that is not, every row goes to
// the sorter, and the blocks written until then are merged with them at the end.
void TableWriter::checkKey()
{
    if (m_sorter)
        return;
    const std::size_t width = std::size_t(m_keyWidth);
    if (m_records > 0) {
        const int order = std::memcmp(m_record.data(), m_lastKey.data(), width);
        if (order == 0)
            duplicateKey(m_record.data());
        if (order < 0) {
            m_sorter = std::make_unique<RecordSorter>(std::size_t(m_recordSize), width,
                                                      folderOf(m_target), m_table);
            // The block being filled joins the rows to sort; the full ones stay in the file.
            for (int i = 0; i < m_inBlock; ++i)
                m_sorter->add(m_block.data() + kBlockHeaderSize + std::size_t(i) * m_recordSize);
            std::memset(m_block.data(), 0, m_block.size());
            m_inBlock = 0;
            return;
        }
    }
    m_lastKey.assign(m_record.begin(), m_record.begin() + std::ptrdiff_t(width));
}

void TableWriter::duplicateKey(const unsigned char* record) const
{
    throw Error(m_table, "two rows have the same key (" +
                             keyText(m_fields, m_options.keyFields, record,
                                     "CP" + std::to_string(m_options.codePage)) +
                             ")");
}

void TableWriter::writeBlock(bool last)
{
    const int number = m_blocks + 1;
    bytes::putLe16(m_block.data(), std::uint16_t(last ? 0 : number + 1));
    bytes::putLe16(m_block.data() + 2, std::uint16_t(number - 1));
    bytes::putLe16(m_block.data() + 4, std::uint16_t((m_inBlock - 1) * m_recordSize));
    if (m_options.keyFields > 0) {
        const unsigned char* first = m_block.data() + kBlockHeaderSize;
        m_firstKeys.insert(m_firstKeys.end(), first, first + m_keyWidth);
        m_blockCounts.push_back(std::uint16_t(m_inBlock));
    }
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
    if (m_sorter)
        writeSorted();
    if (m_inBlock > 0)
        writeBlock(true);
    HeaderFacts facts;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        facts.fields.push_back({m_fields[i].type, m_fields[i].size, m_rawNames[i]});
    facts.recordSize = m_recordSize;
    facts.blockSize = m_blockSize;
    facts.rawTableName =
        rawTableName(m_table, TextEncoder("CP" + std::to_string(m_options.codePage)));
    facts.driver = m_driver;
    facts.keyFields = m_options.keyFields;
    facts.recordCount = m_records;
    facts.blocks = m_blocks;
    facts.autoIncrement = std::uint32_t(m_encoder->lastAutoIncrement());
    facts.updateTime = std::uint32_t(std::time(nullptr));
    const auto header = buildHeader(facts);
    m_db->writeAt(0, header.data(), header.size());
    m_db->finish(m_options.durable);
    if (m_blobs)
        m_blobs->finish(m_options.durable);
    if (m_index)
        writeIndex();
    publish();
    m_committed = true;
}

namespace {

// The full blocks a writer put in its file before its rows came out of key order.
class WrittenBlocks : public SortedRecords {
public:
    WrittenBlocks(const fs::path& file, std::size_t headerSize, int blockSize, int recordSize,
                  int perBlock, int blocks, const std::string& table)
        : m_fd(::open(file.c_str(), O_RDONLY | O_CLOEXEC)), m_at(headerSize),
          m_block(std::size_t(blockSize)), m_recordSize(recordSize), m_perBlock(perBlock),
          m_blocks(blocks), m_table(table)
    {
        if (m_fd < 0)
            throw Error(table,
                        std::string("cannot read back the rows written: ") + std::strerror(errno));
    }
    ~WrittenBlocks() override { ::close(m_fd); }
    WrittenBlocks(const WrittenBlocks&) = delete;
    WrittenBlocks& operator=(const WrittenBlocks&) = delete;

    const unsigned char* next() override
    {
        if (m_inBlock == m_perBlock) {
            if (m_read == m_blocks)
                return nullptr;
            if (::pread(m_fd, m_block.data(), m_block.size(), off_t(m_at)) !=
                ssize_t(m_block.size()))
                throw Error(m_table, "cannot read back the rows written");
            m_at += m_block.size();
            ++m_read;
            m_inBlock = 0;
        }
        return m_block.data() + kBlockHeaderSize + std::size_t(m_inBlock++ * m_recordSize);
    }

private:
    int m_fd;
    std::uint64_t m_at;
    std::vector<unsigned char> m_block;
    int m_recordSize;
    int m_perBlock;
    int m_blocks;
    int m_read = 0;
    int m_inBlock = m_perBlock;
    const std::string& m_table;
};

} // namespace

// Writes the table anew in key order: the blocks written so far merged with the sorted rest.
void TableWriter::writeSorted()
{
    std::unique_ptr<OutputFile> unsorted =
        std::make_unique<OutputFile>(folderOf(m_target), m_target.stem().string(), m_table);
    unsorted.swap(m_db);
    unsorted->finish(false);
    m_db->appendZeros(m_headerSize);
    WrittenBlocks written(unsorted->path(), m_headerSize, m_blockSize, m_recordSize, m_perBlock,
                          m_blocks, m_table);
    m_blocks = 0;
    m_firstKeys.clear();
    m_blockCounts.clear();
    bool first = true;
    m_sorter->merge(&written, [&](const unsigned char* record) {
        if (!first && std::memcmp(record, m_lastKey.data(), m_lastKey.size()) == 0)
            duplicateKey(record);
        first = false;
        std::memcpy(m_lastKey.data(), record, m_lastKey.size());
        putRecord(record);
    });
    m_sorter.reset();
}

void TableWriter::writeIndex()
{
    const TextEncoder encoder("CP" + std::to_string(m_options.codePage));
    IndexFacts f;
    for (int i = 0; i < m_options.keyFields; ++i)
        f.keyFields.push_back({m_fields[std::size_t(i)].type, m_fields[std::size_t(i)].size, {}});
    f.keyWidth = m_keyWidth;
    f.rawTableName = rawTableName(m_target.stem().string() + ".PX", encoder);
    f.driver = m_driver;
    f.changeStamp = kTableChangeCount;
    f.dbUnknown12 = kTableUnknown12;
    f.firstKeys = &m_firstKeys;
    f.counts = &m_blockCounts;
    writePrimaryIndex(*m_index, f);
    m_index->finish(m_options.durable);
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
    const std::string ext = m_target.extension().string();
    const bool lower = ext.size() > 1 && ext[1] >= 'a' && ext[1] <= 'z';
    std::vector<fs::path> placed; // companions of this writer, placed a moment ago
    auto undo = [&] {
        for (const fs::path& p : placed)
            fs::remove(p, ec);
    };
    if (m_blobs) {
        placed.push_back(folder / (stem + (lower ? ".mb" : ".MB")));
        if (!m_blobs->file().publish(placed.back())) {
            placed.pop_back();
            throw Error(m_table, kTableExists);
        }
    }
    if (m_index) {
        const fs::path index = folder / (stem + (lower ? ".px" : ".PX"));
        if (!m_index->publish(index)) {
            undo();
            throw Error(m_table, kTableExists);
        }
        placed.push_back(index);
    }
    // Files that another program put there meanwhile are never replaced.
    if (!m_db->publish(m_target)) {
        undo();
        throw Error(m_table, kTableExists);
    }
    if (m_options.durable)
        syncFolder(folder);
}

} // namespace paradox
