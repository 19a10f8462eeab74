// Writes and then reads the same 1,000,000-row table (Long, Short, Number, Money, Alpha 40,
// Date, Timestamp, Logical) with the Paradox library and with pxlib, in one run; writes it
// once more keyed on the Long field, with its primary index, with both libraries. Then writes
// a 1,200,000-row table of 275-byte records (more than 4 KB blocks hold) with the library and
// reads it back with pxlib, comparing row count and checksum. Each phase runs in a child
// process of its own, so that its peak memory is its own.
// Last line: write_ratio=<ours/pxlib> read_ratio=<ours/pxlib> keyed_write_ratio=<ours/pxlib>
// peak_mb=<largest of ours>
#include "paradox/TableReader.h"
#include "paradox/TableWriter.h"

#include "BigTable.h"

extern "C" {
#include <paradox.h>
}

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr long kRows = 1'000'000;
constexpr int kFieldCount = 8;
constexpr long kBaseDay = 693'596; // 1900-01-01
constexpr double kMillisPerDay = 86'400'000.0;

// The values of row r, the same for both libraries.
struct Row {
    long id;
    int small;
    double number;
    double money;
    char name[41];
    long day;
    double stamp;
    bool flag;
};

Row rowOf(long r)
{
    Row row{};
    row.id = r + 1;
    row.small = int(r % 32000) - 16000;
    row.number = double(r) * 1.0625 - 5000.5;
    row.money = double(r % 100000) / 100.0;
    std::snprintf(row.name, sizeof row.name, "Customer %07ld of the test run", r);
    row.day = kBaseDay + r % 50000;
    row.stamp = double(kBaseDay + r % 60000) * kMillisPerDay + double(r % 86400) * 1000.0;
    row.flag = r % 3 == 0;
    return row;
}

// Sums what a reader returns, so that reading cannot be skipped and both reads can be
// compared.
struct Checksum {
    double value = 0;
    void add(double v) { value += v; }
};

paradox::Date dateOfDay(long day)
{
    using namespace std::chrono;
    const year_month_day ymd{sys_days(year(1970) / January / 1) + days(day - 719'163)};
    return {int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))};
}

using bigtable::Outcome;

Outcome oursWrite(const fs::path& file, int keyFields = 0)
{
    using paradox::FieldType;
    using paradox::Value;
    paradox::WriteOptions options;
    options.keyFields = keyFields;
    paradox::TableWriter w(file,
                           {{"Id", FieldType::Long},
                            {"Small", FieldType::Short},
                            {"Ratio", FieldType::Number},
                            {"Price", FieldType::Money},
                            {"Name", FieldType::Alpha, 40},
                            {"Day", FieldType::Date},
                            {"Stamp", FieldType::Timestamp},
                            {"Flag", FieldType::Logical}},
                           options);
    std::vector<Value> values(kFieldCount);
    for (long r = 0; r < kRows; ++r) {
        const Row row = rowOf(r);
        values[0] = Value(std::int64_t(row.id));
        values[1] = Value(row.small);
        values[2] = Value(row.number);
        values[3] = Value(row.money);
        values[4].textBuffer().assign(row.name);
        values[5] = Value(dateOfDay(row.day));
        const auto ms = std::int64_t(row.stamp);
        const auto msOfDay = ms % 86'400'000;
        values[6] = Value(paradox::Timestamp{
            dateOfDay(long(ms / 86'400'000)),
            {int(msOfDay / 3'600'000), int(msOfDay / 60'000 % 60), int(msOfDay / 1000 % 60), 0}});
        values[7] = Value(row.flag);
        w.append(values);
    }
    w.commit();
    return {0, double(kRows)};
}

Outcome oursRead(const fs::path& file)
{
    auto reader = paradox::TableReader::open(file);
    std::vector<paradox::Value> row;
    Checksum sum;
    long n = 0;
    while (reader->next(row)) {
        sum.add(double(row[0].toInt()) + double(row[1].toInt()) + row[2].toDouble() +
                row[3].toDouble() + double(row[4].toText().size()) + row[5].toDate().day +
                row[6].toTimestamp().time.second + (row[7].toBool() ? 1 : 0));
        ++n;
    }
    if (n != kRows)
        std::abort();
    return {sum.value, double(n)};
}

pxfield_t* pxlibFields()
{
    // pxlib keeps and frees the array and its names.
    auto* f = static_cast<pxfield_t*>(std::calloc(kFieldCount, sizeof(pxfield_t)));
    const char* names[] = {"Id", "Small", "Ratio", "Price", "Name", "Day", "Stamp", "Flag"};
    const int types[] = {pxfLong,  pxfShort, pxfNumber,    pxfCurrency,
                         pxfAlpha, pxfDate,  pxfTimestamp, pxfLogical};
    const int lengths[] = {4, 2, 8, 8, 40, 4, 8, 1};
    for (int i = 0; i < kFieldCount; ++i) {
        f[i].px_fname = strdup(names[i]);
        f[i].px_ftype = char(types[i]);
        f[i].px_flen = lengths[i];
    }
    return f;
}

Outcome pxlibWrite(const fs::path& file, bool keyed = false)
{
    pxdoc_t* px = PX_new();
    pxfield_t* fields = pxlibFields();
    if (PX_create_file(px, fields, kFieldCount, file.c_str(),
                       keyed ? pxfFileTypIndexDB : pxfFileTypNonIndexDB) < 0)
        std::abort();
    if (keyed && PX_set_value(px, "numprimkeys", 1) < 0)
        std::abort();
    pxval_t cells[kFieldCount];
    pxval_t* ptrs[kFieldCount];
    for (int r = 0; r < kRows; ++r) {
        const Row row = rowOf(r);
        std::memset(cells, 0, sizeof cells);
        for (int i = 0; i < kFieldCount; ++i) {
            cells[i].type = fields[i].px_ftype;
            ptrs[i] = &cells[i];
        }
        cells[0].value.lval = row.id;
        cells[1].value.lval = row.small;
        cells[2].value.dval = row.number;
        cells[3].value.dval = row.money;
        cells[4].value.str.val = const_cast<char*>(row.name);
        cells[4].value.str.len = int(std::strlen(row.name));
        cells[5].value.lval = row.day;
        cells[6].value.dval = row.stamp;
        cells[7].value.lval = row.flag ? 1 : 0;
        if (PX_insert_record(px, ptrs) < 0)
            std::abort();
    }
    if (keyed) {
        // The index over the Id field, as pxlib builds it from the table it wrote.
        pxdoc_t* index = PX_new();
        auto* key = static_cast<pxfield_t*>(std::calloc(1, sizeof(pxfield_t)));
        key->px_fname = strdup("Id");
        key->px_ftype = pxfLong;
        key->px_flen = 4;
        const fs::path indexFile = fs::path(file).replace_extension(".PX");
        if (PX_create_file(index, key, 1, indexFile.c_str(), pxfFileTypPrimIndex) < 0 ||
            PX_write_primary_index(px, index) < 0)
            std::abort();
        PX_close(index);
        PX_delete(index);
    }
    PX_close(px);
    PX_delete(px);
    return {0, double(kRows)};
}

Outcome pxlibRead(const fs::path& file)
{
    pxdoc_t* px = PX_new();
    if (PX_open_file(px, file.c_str()) < 0)
        std::abort();
    PX_set_targetencoding(px, "UTF-8");
    const int n = PX_get_num_records(px);
    if (n != kRows)
        std::abort();
    Checksum sum;
    for (int r = 0; r < n; ++r) {
        pxval_t** v = PX_retrieve_record(px, r);
        if (!v)
            std::abort();
        int year = 0, month = 0, day = 0;
        PX_SdnToGregorian(v[5]->value.lval + 1'721'425, &year, &month, &day);
        const long long ms = (long long)(v[6]->value.dval) % 86'400'000;
        sum.add(double(v[0]->value.lval) + double(v[1]->value.lval) + v[2]->value.dval +
                v[3]->value.dval + double(v[4]->value.str.len) + day + double(ms / 1000 % 60) +
                double(v[7]->value.lval));
        for (int i = 0; i < kFieldCount; ++i) {
            if (i == 4 && !v[i]->isnull)
                px->free(px, v[i]->value.str.val);
            px->free(px, v[i]);
        }
        px->free(px, v);
    }
    PX_close(px);
    PX_delete(px);
    return {sum.value, double(n)};
}

struct Result {
    double seconds = 0;
    double checksum = 0;
    double rows = 0;
    double peakMb = 0;
};

// Runs one phase in a child process and reports its time, checksum, rows and peak memory.
Result inChild(const std::function<Outcome()>& phase)
{
    int pipeFd[2];
    if (pipe(pipeFd) != 0)
        std::abort();
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFd[0]);
        const auto start = std::chrono::steady_clock::now();
        const Outcome outcome = phase();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double out[3] = {seconds, outcome.checksum, outcome.rows};
        if (write(pipeFd[1], out, sizeof out) != sizeof out)
            _exit(1);
        _exit(0);
    }
    close(pipeFd[1]);
    double in[3] = {};
    const bool got = read(pipeFd[0], in, sizeof in) == sizeof in;
    close(pipeFd[0]);
    int status = 0;
    struct rusage usage {};
    wait4(pid, &status, 0, &usage);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "paradox_bench: a phase failed\n");
        std::exit(1);
    }
    return {in[0], in[1], in[2], double(usage.ru_maxrss) / 1024.0};
}

void print(const char* what, const char* who, const Result& r)
{
    std::printf("%-5s %-5s %7.2f s %10.0f rows/s  peak %6.1f MB\n", what, who, r.seconds,
                r.rows / r.seconds, r.peakMb);
    std::fflush(stdout);
}

// Writes the large table with the library, reads it with pxlib and prints whether it arrived
// whole; rows < 0 in the result when it did not.
Result bigTable(const fs::path& file)
{
    std::printf("big: %ld rows of Alpha 255, Number, Long Integer, Timestamp (275 bytes)\n",
                bigtable::kRows);
    Result write = inChild([&] { return bigtable::writeWithLibrary(file); });
    print("write", "ours", write);
    const int blockSize = paradox::TableReader::open(file)->header().blockSize;
    const Result read = inChild([&] { return bigtable::readWithPxlib(file); });
    print("read", "pxlib", read);
    const bool whole = read.rows == write.rows && read.checksum == write.checksum;
    std::printf("big_table: written=%.0f block_size=%d pxlib_rows=%.0f checksum_written=%.0f "
                "checksum_pxlib=%.0f arrived_whole=%s\n",
                write.rows, blockSize, read.rows, write.checksum, read.checksum,
                whole ? "yes" : "no");
    if (!whole)
        write.rows = -1;
    return write;
}

} // namespace

int main(int argc, char** argv)
{
    const fs::path base = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path dir = base / ("paradox-bench-" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::printf("paradox_bench: %ld rows of Long, Short, Number, Money, Alpha 40, Date, "
                "Timestamp, Logical in %s\n",
                kRows, dir.c_str());

    const Result ourWrite = inChild([&] { return oursWrite(dir / "OURS.DB"); });
    print("write", "ours", ourWrite);
    const Result pxWrite = inChild([&] { return pxlibWrite(dir / "PXLIB.DB"); });
    print("write", "pxlib", pxWrite);
    const Result ourRead = inChild([&] { return oursRead(dir / "OURS.DB"); });
    print("read", "ours", ourRead);
    const Result pxRead = inChild([&] { return pxlibRead(dir / "PXLIB.DB"); });
    print("read", "pxlib", pxRead);
    fs::remove(dir / "OURS.DB");
    fs::remove(dir / "PXLIB.DB");
    const Result ourKeyed = inChild([&] { return oursWrite(dir / "OURSKEY.DB", 1); });
    print("keyed", "ours", ourKeyed);
    const Result pxKeyed = inChild([&] { return pxlibWrite(dir / "PXLIBKEY.DB", true); });
    print("keyed", "pxlib", pxKeyed);
    const bool indexed = fs::exists(dir / "OURSKEY.PX") && fs::exists(dir / "PXLIBKEY.PX");
    for (const char* name : {"OURSKEY.DB", "OURSKEY.PX", "PXLIBKEY.DB", "PXLIBKEY.PX"})
        fs::remove(dir / name);
    const Result bigWrite = bigTable(dir / "BIG.DB");
    fs::remove_all(dir);

    if (ourRead.checksum != pxRead.checksum) {
        std::fprintf(stderr, "paradox_bench: the two reads differ (%.17g against %.17g)\n",
                     ourRead.checksum, pxRead.checksum);
        return 1;
    }
    if (bigWrite.rows < 0)
        return 1;
    if (!indexed) {
        std::fprintf(stderr, "paradox_bench: a keyed table was written without its index\n");
        return 1;
    }
    const double writeRatio = pxWrite.seconds / ourWrite.seconds;
    const double readRatio = pxRead.seconds / ourRead.seconds;
    const double keyedRatio = pxKeyed.seconds / ourKeyed.seconds;
    std::printf("write_ratio=%.1f read_ratio=%.1f keyed_write_ratio=%.1f peak_mb=%.1f\n",
                writeRatio, readRatio, keyedRatio,
                std::max({ourWrite.peakMb, ourRead.peakMb, ourKeyed.peakMb, bigWrite.peakMb}));
    return 0;
}
