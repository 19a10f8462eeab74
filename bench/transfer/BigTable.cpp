#include "BigTable.h"

#include "core/Value.h"
#include "data/Connection.h"

#include <QFile>

extern "C" {
#include <paradox.h>
}

#include <chrono>
#include <cstring>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace tabulex::bench {

namespace {

constexpr std::int64_t kMillisPerDay = 86'400'000;
constexpr long long kDay1970 = 719'163; // a Paradox timestamp counts 0001-01-01 as day 1
constexpr std::uint64_t kNull = 0x6e756c6c6e756c6cull;

// FNV-1a, value by value.
struct Checksum {
    std::uint64_t h = 1469598103934665603ull;
    void add(std::uint64_t v) { h = (h ^ v) * 1099511628211ull; }
    void addText(std::string_view s)
    {
        add(s.size());
        for (const char c : s)
            add(static_cast<unsigned char>(c));
    }
    void addDouble(double d)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &d, sizeof bits);
        add(bits);
    }
};

std::int64_t millisOf(const Timestamp& t)
{
    using namespace std::chrono;
    const sys_days day = year(t.date.year) / month(unsigned(t.date.month)) / t.date.day;
    const std::int64_t ms =
        ((t.time.hour * 60 + t.time.minute) * 60 + t.time.second) * 1000 + t.time.nanos / 1000000;
    return (day.time_since_epoch().count() + kDay1970) * kMillisPerDay + ms;
}

// The name, the whole number, the float and the timestamp of one source row.
void addServerRow(Checksum& sum, const std::vector<Value>& row)
{
    if (row.size() != 4)
        throw std::runtime_error("the big table has 4 columns");
    for (size_t i = 0; i < row.size(); ++i) {
        const Value& v = row[i];
        if (v.isNull()) {
            sum.add(kNull);
        } else if (i == 0) {
            sum.addText(v.toString().toStdString());
        } else if (i == 1) {
            bool whole = false;
            sum.add(std::uint64_t(v.toText().toLongLong(&whole)));
            if (!whole)
                throw std::runtime_error("not a whole number: " + v.toText().toStdString());
        } else if (i == 2) {
            sum.addDouble(v.toDouble());
        } else {
            sum.add(std::uint64_t(millisOf(v.toTimestamp())));
        }
    }
}

// The same of a row pxlib read: Alpha, Long Integer, Number, Timestamp.
void addPxlibRow(Checksum& sum, pxval_t** v)
{
    for (int i = 0; i < 4; ++i) {
        if (v[i]->isnull)
            sum.add(kNull);
        else if (i == 0)
            sum.addText({v[i]->value.str.val, std::size_t(v[i]->value.str.len)});
        else if (i == 1)
            sum.add(std::uint64_t(std::int64_t(v[i]->value.lval)));
        else if (i == 2)
            sum.addDouble(v[i]->value.dval);
        else
            sum.add(std::uint64_t(std::int64_t(v[i]->value.dval)));
    }
}

} // namespace

void makeBigTable(const QString& sql, const QString& table, qint64 rows)
{
    Connection c;
    c.commandTimeout = 0;
    c.open(sql);
    c.execute(QStringLiteral("CREATE TABLE [%1]([name] VARCHAR(40), [amount] DECIMAL(9,0), "
                             "[ratio] FLOAT, [at] DATETIME)")
                  .arg(table));
    constexpr qint64 kChunk = 100'000;
    for (qint64 done = 0; done < rows; done += kChunk)
        c.execute(QStringLiteral("EXEC standin_control 'fill %1 %2'")
                      .arg(table)
                      .arg(std::min(kChunk, rows - done)));
}

TableSum serverSum(const QString& sql, const QString& table)
{
    Connection c;
    c.open(sql);
    auto cursor = c.driver().query(QStringLiteral("SELECT * FROM [%1]").arg(table));
    Checksum sum;
    TableSum out;
    std::vector<Value> row;
    while (cursor->fetch(row)) {
        addServerRow(sum, row);
        ++out.rows;
    }
    out.checksum = sum.h;
    return out;
}

TableSum pxlibSum(const QString& file)
{
    pxdoc_t* px = PX_new();
    if (PX_open_file(px, QFile::encodeName(file).constData()) < 0) {
        PX_delete(px);
        throw std::runtime_error("pxlib cannot open " + file.toStdString());
    }
    PX_set_targetencoding(px, "UTF-8");
    const int n = PX_get_num_fields(px) == 4 ? PX_get_num_records(px) : 0;
    Checksum sum;
    TableSum out;
    for (int r = 0; r < n; ++r) {
        pxval_t** v = PX_retrieve_record(px, r);
        if (!v)
            break;
        addPxlibRow(sum, v);
        ++out.rows;
        if (!v[0]->isnull)
            px->free(px, v[0]->value.str.val);
        for (int i = 0; i < 4; ++i)
            px->free(px, v[i]);
        px->free(px, v);
    }
    PX_close(px);
    PX_delete(px);
    out.checksum = sum.h;
    return out;
}

} // namespace tabulex::bench
