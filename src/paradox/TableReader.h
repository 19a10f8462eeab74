#pragma once

#include "paradox/Header.h"
#include "paradox/Value.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace paradox {

class BlobReader;
class ByteSource;
class DamageReport;
class RecordDecoder;
class Scramble;
struct BlockPlan;

struct ReadOptions {
    // An iconv encoding name that overrides the table's code page (empty: the table's).
    std::string encoding;
    // Read a damaged table as far as it can be trusted and account for the rest in damage().
    bool salvage = false;
};

// Streams the records of a Paradox table (3.0 to 7.x) in block-chain order, one block in
// memory at a time; password-protected tables are unscrambled as they are read. Every damage
// it meets throws Error naming the table and the cause; a salvage read throws only for a
// header it cannot understand (and a failing device), and passes on only the records of
// sound blocks, below each block's last record.
class TableReader {
public:
    using BlobOpener = std::function<std::unique_ptr<ByteSource>()>;

    // Opens a .db file; its .MB is looked up beside it, ignoring case, when a value needs it.
    static std::unique_ptr<TableReader> open(const std::filesystem::path& dbFile,
                                             const ReadOptions& options = {});

    // `openBlobs` returns the .MB file's bytes, or nullptr when there is none.
    TableReader(std::unique_ptr<ByteSource> db, std::string table, BlobOpener openBlobs,
                const ReadOptions& options = {});
    ~TableReader();
    TableReader(const TableReader&) = delete;
    TableReader& operator=(const TableReader&) = delete;

    const TableHeader& header() const { return m_header; }
    const std::string& table() const { return m_table; }

    // Fills row with the next record; false after the last one.
    bool next(std::vector<Value>& row);

    // A salvage read's account of the damage, whole once next() has returned false; null
    // for other reads.
    const DamageReport* damage() const { return m_damage.get(); }

private:
    bool nextBlock();
    bool nextSalvaged(std::vector<Value>& row);
    bool nextSalvageBlock();
    BlobReader& blobs();
    std::string mbName() const;

    std::unique_ptr<ByteSource> m_db;
    std::string m_table;
    BlobOpener m_openBlobs;
    std::unique_ptr<BlobReader> m_blobs;
    TableHeader m_header;
    std::unique_ptr<RecordDecoder> m_decoder;
    std::unique_ptr<Scramble> m_scramble; // for password-protected tables
    std::vector<unsigned char> m_block;
    std::vector<bool> m_visited;
    int m_nextBlock = 0;
    int m_blockRecords = 0;
    int m_inBlock = 0;
    std::uint64_t m_read = 0;
    bool m_done = false;
    bool m_noBlobs = false; // the .MB was looked for and is missing
    // Salvage reads only.
    std::unique_ptr<BlockPlan> m_plan;
    std::size_t m_planAt = 0;
    std::unique_ptr<DamageReport> m_damage;
    std::uint64_t m_unreadable = 0; // records left out for a value
};

} // namespace paradox
