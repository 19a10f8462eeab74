// Writes the fuzz seed corpus: every table of the fixtures folder (with its .MB, cut to
// 64 KB), a table of every field type written by the library, that table and a memo
// fixture made password-protected, and damaged copies of two fixtures for the salvage read.
#include "Damage.h"
#include "FuzzInput.h"
#include "ScrambleTable.h"

#include "paradox/TableFiles.h"
#include "paradox/TableWriter.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxMemoSeed = 64 * 1024;

std::string bytesOf(const fs::path& file, std::size_t limit)
{
    std::ifstream in(file, std::ios::binary);
    std::string s(std::istreambuf_iterator<char>(in), {});
    if (s.size() > limit)
        s.resize(limit);
    return s;
}

void writeSeed(const fs::path& out, const std::string& db, const std::string* mb)
{
    std::string seed(4, '\0');
    const std::size_t n = mb ? db.size() : 0xFFFFFFFFu;
    for (int i = 0; i < 4; ++i)
        seed[std::size_t(i)] = char(n >> (8 * i));
    seed += db;
    if (mb)
        seed += *mb;
    std::ofstream(out, std::ios::binary).write(seed.data(), std::streamsize(seed.size()));
}

// `scramble`: the password checksum to protect the table with, 0 for none.
void seedFromTable(const fs::path& db, const fs::path& out, std::uint32_t scramble = 0)
{
    const auto mb = paradox::findCompanion(db, "MB");
    std::string dbBytes = bytesOf(db, std::string::npos);
    std::string mbBytes = mb ? bytesOf(*mb, kMaxMemoSeed) : std::string();
    if (scramble)
        paradox::fuzz::scrambleTable(dbBytes, mb ? &mbBytes : nullptr, scramble);
    writeSeed(out, dbBytes, mb ? &mbBytes : nullptr);
}

void writeEveryType(const fs::path& folder)
{
    using paradox::FieldType;
    using paradox::Value;
    paradox::WriteOptions options;
    options.blockSize = 1024;
    options.durable = false;
    options.replace = true;
    paradox::TableWriter w(folder / "EVERY.DB", {{"A", FieldType::Alpha, 12},
                                                 {"S", FieldType::Short},
                                                 {"I", FieldType::Long},
                                                 {"N", FieldType::Number},
                                                 {"M", FieldType::Money},
                                                 {"D", FieldType::Date},
                                                 {"T", FieldType::Time},
                                                 {"TS", FieldType::Timestamp},
                                                 {"L", FieldType::Logical},
                                                 {"P", FieldType::AutoIncrement},
                                                 {"B", FieldType::Bcd, 3},
                                                 {"Y", FieldType::Bytes, 5},
                                                 {"MM", FieldType::Memo, 15},
                                                 {"BB", FieldType::Blob, 10},
                                                 {"G", FieldType::Graphic, 10}});
    for (int i = 0; i < 40; ++i)
        w.append({Value("row " + std::to_string(i) + " é"), Value(i), Value(i * 1000),
                  Value(i / 3.0), Value(i * 1.25), Value(paradox::Date{1990 + i, 1 + i % 12, 1}),
                  Value(paradox::Time{i % 24, 0, 0, i}),
                  Value(paradox::Timestamp{{2000, 1, 1 + i % 28}, {1, 2, 3, 4}}), Value(i % 2 == 0),
                  Value(), Value(paradox::Decimal{std::to_string(i) + ".5"}),
                  Value(paradox::Bytes{"\x01y" + std::to_string(i)}),
                  Value(std::string(std::size_t(i * 13), 'm')),
                  Value(paradox::Bytes{std::string(std::size_t(i * 71), 'b')}),
                  i % 5 ? Value() : Value(paradox::Bytes{std::string(3000, 'g')})});
    w.commit();
}

// ORDERS.DB cut short, with a garbled block header, with a chain loop and with a wrong count;
// CUSTOMER.DB without its .MB.
int writeDamaged(const fs::path& fixtures, const fs::path& out)
{
    using namespace paradox::fuzz;
    const std::string orders = bytesOf(fixtures / "db" / "ORDERS.DB", std::string::npos);
    writeSeed(out / "damaged_cut.seed", orders.substr(0, blockAt(orders, 5) + 1000), nullptr);
    std::string garbled = orders;
    garbleBlockHeader(garbled, 3);
    writeSeed(out / "damaged_block.seed", garbled, nullptr);
    std::string loop = orders;
    setNextBlock(loop, 6, 2);
    writeSeed(out / "damaged_loop.seed", loop, nullptr);
    std::string count = orders;
    setRecordCount(count, 300);
    writeSeed(out / "damaged_count.seed", count, nullptr);
    writeSeed(out / "damaged_no_mb.seed",
              bytesOf(fixtures / "db" / "CUSTOMER.DB", std::string::npos), nullptr);
    return 5;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fputs("usage: make_seeds FIXTURES-FOLDER CORPUS-FOLDER\n", stderr);
        return 2;
    }
    const fs::path fixtures = argv[1];
    const fs::path out = argv[2];
    try {
        fs::create_directories(out);
        int count = 0;
        if (!fs::is_directory(fixtures))
            throw std::runtime_error("no fixtures folder at " + fixtures.string());
        for (const auto& e : fs::recursive_directory_iterator(fixtures)) {
            const std::string ext = e.path().extension().string();
            if (!e.is_regular_file() || !paradox::sameNameIgnoringCase(ext, ".db"))
                continue;
            std::string name = fs::relative(e.path(), fixtures).string();
            for (char& c : name)
                c = c == '/' ? '_' : c;
            seedFromTable(e.path(), out / (name + ".seed"));
            ++count;
        }
        if (count == 0)
            throw std::runtime_error("no fixture tables in " + fixtures.string());
        const fs::path scratch = out / "scratch";
        fs::create_directories(scratch);
        writeEveryType(scratch);
        seedFromTable(scratch / "EVERY.DB", out / "written_every_type.seed");
        seedFromTable(scratch / "EVERY.DB", out / "scrambled_every_type.seed", 0x2F6A91C4);
        seedFromTable(fixtures / "fields" / "memo.db", out / "scrambled_memo.seed", 0xFF80);
        fs::remove_all(scratch);
        const int damaged = writeDamaged(fixtures, out);
        std::printf("%d fixture seeds, 1 written table, 2 scrambled ones and %d damaged ones in "
                    "%s\n",
                    count, damaged, out.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
