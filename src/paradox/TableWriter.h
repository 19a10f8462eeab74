#pragma once

#include "paradox/FieldType.h"
#include "paradox/Header.h"
#include "paradox/Value.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace paradox {

class BlobWriter;
class OutputFile;
class RecordEncoder;
class RecordSorter;
struct LanguageDriver;

// A field of a table to write.
struct FieldDefinition {
    std::string name; // UTF-8, at most 25 bytes in the table's code page
    FieldType type = FieldType::Alpha;
    // Alpha and Bytes: length (1 to 255); Memo: 11 to 250, BLObs: 10 to 250 (the record
    // part, leader + 10); BCD: decimals (0 to 32); other types: ignored.
    int size = 0;
};

// Bytes a field of this definition takes in a record; nothing when its size is not allowed.
std::optional<int> recordWidthOf(const FieldDefinition& definition);

// The cause of the error for a table that is there already, or appeared while writing.
inline constexpr const char* kTableExists = "the table already exists";

struct WriteOptions {
    int codePage = 1252; // a Windows code page with a Paradox language driver
    // The rows the caller will append, when it knows them before the first one: the writer
    // then picks the smallest allowed block size that holds them (blockSizeFor), refuses a
    // table no size can hold before anything is written, and refuses rows beyond the number.
    std::optional<std::uint64_t> rows;
    // The block size when `rows` is not given: 1024, 2048, 4096, 16384 or 32768.
    int blockSize = 4096;
    // The first `keyFields` fields are the table's key (0: unkeyed). A keyed table is written
    // in key order whatever order the rows come in, with its primary index (.PX); two rows
    // with the same key are refused. See docs/paradox-keyed-tables.md.
    int keyFields = 0;
    bool replace = false; // replace an existing table of that name (and its family)
    bool durable = true;  // force the files to disk before they take the table's name
};

// Writes a Paradox 5.x table (and its .MB when a field needs one, its .PX when it is keyed),
// streaming the records through one block in memory; keyed rows that do not come in key
// order are sorted in bounded memory. Everything goes to temporary files in the target
// folder; commit() gives them the table's name, the .MB first and the .db last, never over
// a file that has the name, and with the folder locked against other writers meanwhile. A
// writer destroyed before commit() (an error, an interruption) removes its temporary files;
// those of a writer that died are removed by the next writer in that folder.
class TableWriter {
public:
    // `dbFile` is the table's path, e.g. folder/ORDERS.db. Throws Error for fields or options
    // that a Paradox 5.x table cannot have.
    TableWriter(const std::filesystem::path& dbFile, std::vector<FieldDefinition> fields,
                const WriteOptions& options = {});
    ~TableWriter();
    TableWriter(const TableWriter&) = delete;
    TableWriter& operator=(const TableWriter&) = delete;

    // Adds a record; throws Error naming the column for a value the field cannot hold (the
    // table stays as it was before the call). A row beyond WriteOptions::rows throws, and
    // the table can then no longer be committed.
    void append(const std::vector<Value>& row);
    void commit();

    std::uint32_t recordCount() const { return m_records; }
    int blockSize() const { return m_blockSize; }
    const std::vector<Field>& fields() const { return m_fields; }

private:
    void checkFields(const std::vector<FieldDefinition>& definitions);
    void chooseBlockSize();
    std::string tooManyRows() const;
    void writeBlock(bool last);
    void checkKey();
    void addKeyed();
    void writeSorted();
    void putRecord(const unsigned char* record);
    void writeIndex();
    [[noreturn]] void duplicateKey(const unsigned char* record) const;
    std::optional<std::filesystem::path> existingTable() const;
    void publish();
    BlobWriter& blobs();

    std::filesystem::path m_target;
    std::string m_table;
    WriteOptions m_options;
    std::vector<Field> m_fields;
    std::vector<std::string> m_rawNames;
    int m_recordSize = 0;
    int m_blockSize = 0;
    int m_perBlock = 0;
    std::size_t m_headerSize = 0;
    std::unique_ptr<OutputFile> m_db;
    std::unique_ptr<BlobWriter> m_blobs;
    std::unique_ptr<OutputFile> m_index;
    std::unique_ptr<RecordSorter> m_sorter; // once keyed rows came out of order
    std::unique_ptr<RecordEncoder> m_encoder;
    std::vector<unsigned char> m_block;
    std::vector<unsigned char> m_record;
    int m_inBlock = 0;
    int m_blocks = 0;
    std::uint32_t m_records = 0;
    const LanguageDriver* m_driver = nullptr;
    int m_keyWidth = 0;                     // bytes of the key at the start of a record
    std::vector<unsigned char> m_lastKey;   // of the record appended last (keyed tables)
    std::vector<unsigned char> m_firstKeys; // of each block written (keyed tables)
    std::vector<std::uint16_t> m_blockCounts;
    bool m_hasBlobFields = false;
    bool m_tooManyRows = false;
    bool m_committed = false;
};

} // namespace paradox
