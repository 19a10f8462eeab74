#include "BigTable.h"

#include "paradox/TableWriter.h"

extern "C" {
#include <paradox.h>
}

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace bigtable {

namespace {

constexpr long kBaseDay = 693'596; // 1900-01-01
constexpr std::int64_t kMillisPerDay = 86'400'000;
constexpr std::uint64_t kChecksumMask = (std::uint64_t(1) << 52) - 1;

struct Row {
    char name[64]; // at most 38 characters for the rows written
    double amount;
    long id;
    std::int64_t stamp; // ms since 0000-12-31, as the file stores it
};

Row rowOf(long r)
{
    Row row{};
    std::snprintf(row.name, sizeof row.name, "Account %ld %.*s", r, int(r % 23),
                  "of the large table run");
    row.amount = double(r % 1'000'003) * 0.25 - 40'000.0;
    row.id = 100'000'000 + r;
    row.stamp = (kBaseDay + r % 45'000) * kMillisPerDay + r * 7'919 % kMillisPerDay / 1000 * 1000;
    return row;
}

// Order-sensitive: a value in the wrong row changes it too.
struct Checksum {
    std::uint64_t h = 1469598103934665603ull;
    void add(std::uint64_t v) { h = (h ^ v) * 1099511628211ull; }
    void addText(std::string_view s)
    {
        for (const char c : s)
            add(static_cast<unsigned char>(c));
    }
    void addDouble(double d)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        add(bits);
    }
    double value() const { return double(h & kChecksumMask); }
};

paradox::Timestamp timestampOf(std::int64_t ms)
{
    const std::int64_t msOfDay = ms % kMillisPerDay;
    const long long day = ms / kMillisPerDay;
    // Day 1 is 0001-01-01; the library converts from a civil date.
    const auto civil = std::chrono::sys_days{} + std::chrono::days(day - 719'163);
    const std::chrono::year_month_day ymd{civil};
    return {{int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day()))},
            {int(msOfDay / 3'600'000), int(msOfDay / 60'000 % 60), int(msOfDay / 1000 % 60), 0}};
}

} // namespace

Outcome writeWithLibrary(const std::filesystem::path& file)
{
    using paradox::FieldType;
    using paradox::Value;
    paradox::WriteOptions options;
    options.rows = kRows;
    paradox::TableWriter w(file,
                           {{"Name", FieldType::Alpha, 255},
                            {"Amount", FieldType::Number},
                            {"Id", FieldType::Long},
                            {"Seen", FieldType::Timestamp}},
                           options);
    std::vector<Value> values(4);
    Checksum sum;
    for (long r = 0; r < kRows; ++r) {
        const Row row = rowOf(r);
        values[0].textBuffer().assign(row.name);
        values[1] = Value(row.amount);
        values[2] = Value(std::int64_t(row.id));
        values[3] = Value(timestampOf(row.stamp));
        w.append(values);
        sum.addText(row.name);
        sum.addDouble(row.amount);
        sum.add(std::uint64_t(row.id));
        sum.add(std::uint64_t(row.stamp));
    }
    w.commit();
    return {sum.value(), double(w.recordCount())};
}

Outcome readWithPxlib(const std::filesystem::path& file)
{
    pxdoc_t* px = PX_new();
    if (PX_open_file(px, file.c_str()) < 0)
        std::abort();
    PX_set_targetencoding(px, "UTF-8");
    const int n = PX_get_num_records(px);
    Checksum sum;
    int read = 0;
    for (int r = 0; r < n; ++r) {
        pxval_t** v = PX_retrieve_record(px, r);
        if (!v)
            break;
        if (!v[0]->isnull)
            sum.addText({v[0]->value.str.val, std::size_t(v[0]->value.str.len)});
        sum.addDouble(v[1]->value.dval);
        sum.add(std::uint64_t(v[2]->value.lval));
        sum.add(std::uint64_t(std::int64_t(v[3]->value.dval)));
        ++read;
        if (!v[0]->isnull)
            px->free(px, v[0]->value.str.val);
        for (int i = 0; i < 4; ++i)
            px->free(px, v[i]);
        px->free(px, v);
    }
    PX_close(px);
    PX_delete(px);
    return {sum.value(), double(read)};
}

} // namespace bigtable
