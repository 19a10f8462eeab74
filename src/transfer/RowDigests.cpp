#include "transfer/RowDigests.h"

#include "host/ProgressText.h"

#include <QHashFunctions>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>

namespace tabulex {

namespace {

// Seeds that keep the kinds of values apart.
constexpr std::uint64_t kNullDigest = 0x6e756c6c6e756c6cull;
constexpr std::uint64_t kNumberSeed = 0x1f83d9abfb41bd6bull;
constexpr std::uint64_t kFloatSeed = 0x5be0cd19137e2179ull;
constexpr std::uint64_t kDecimalSeed = 0x9b05688c2b3e6c1full;
constexpr std::uint64_t kTextSeed = 0x510e527fade682d1ull;
constexpr std::uint64_t kBytesSeed = 0x3c6ef372fe94f82bull;
constexpr std::uint64_t kWhenSeed = 0xa54ff53a5f1d36f1ull;
constexpr std::uint64_t kTimeSeed = 0x243f6a8885a308d3ull;
constexpr std::uint64_t kRowSeed = 0x13198a2e03707344ull;

// Rows of each side one pass of describeDifference holds in memory.
constexpr qint64 kPassRows = qint64(1) << 20;
// Rows named in a report, and rows of the table kept to pair them with.
constexpr size_t kNamed = 5;
constexpr size_t kCandidates = 1000;

std::uint64_t mix(std::uint64_t x)
{
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

std::uint64_t integerDigest(std::int64_t i) { return mix(std::uint64_t(i) ^ kNumberSeed); }

std::uint64_t realDigest(double d)
{
    if (d == 0)
        d = 0; // -0 is 0
    if (std::isfinite(d) && d == std::trunc(d) && std::fabs(d) < 9.0e18)
        return integerDigest(std::int64_t(d));
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return mix(bits ^ kFloatSeed);
}

std::uint64_t bitsDigest(const void* data, size_t size, std::uint64_t seed)
{
    return mix(std::uint64_t(qHashBits(data, size, size_t(seed))) ^ seed);
}

// A decimal as the number it is: an integer, a double where one holds its digits, else its
// text without leading and trailing zeros.
std::uint64_t decimalDigest(const QString& text)
{
    QStringView t(text);
    const bool negative = t.startsWith(u'-');
    if (negative || t.startsWith(u'+'))
        t = t.mid(1);
    const qsizetype point = t.indexOf(u'.');
    QStringView whole = point < 0 ? t : t.left(point);
    QStringView fraction = point < 0 ? QStringView() : t.mid(point + 1);
    while (whole.size() > 1 && whole.front() == u'0')
        whole = whole.mid(1);
    while (!fraction.isEmpty() && fraction.back() == u'0')
        fraction.chop(1);
    if (fraction.isEmpty() && whole.size() <= 18) {
        const std::int64_t n = whole.toLongLong();
        return integerDigest(negative ? -n : n);
    }
    qsizetype significant = fraction.size() + (whole == u"0" ? 0 : whole.size());
    if (whole == u"0")
        for (QChar c : fraction) {
            if (c != u'0')
                break;
            --significant;
        }
    if (significant <= 15)
        return realDigest(text.toDouble());
    const QString canonical = (negative ? QStringLiteral("-") : QString()) + whole.toString() +
                              u'.' + fraction.toString();
    return bitsDigest(canonical.constData(), size_t(canonical.size()) * sizeof(QChar),
                      kDecimalSeed);
}

std::uint64_t timeOfDay(const Time& t)
{
    return ((std::uint64_t(t.hour) * 60 + std::uint64_t(t.minute)) * 60 + std::uint64_t(t.second)) *
               1000000000ull +
           std::uint64_t(t.nanos);
}

std::uint64_t whenDigest(const Date& d, const Time& t)
{
    const std::uint64_t day = std::uint64_t(std::int64_t(d.year) * 10000 + d.month * 100 + d.day);
    return mix(mix(day ^ kWhenSeed) ^ timeOfDay(t));
}

std::uint64_t rowDigest(const std::uint64_t* fields, int count)
{
    std::uint64_t r = kRowSeed;
    for (int i = 0; i < count; ++i)
        r = mix(r ^ fields[i]);
    return r;
}

std::uint32_t shortDigest(std::uint64_t d) { return std::uint32_t(d >> 32) ^ std::uint32_t(d); }

// A row's digest and its number (from 0) in its side's order.
struct Entry {
    std::uint64_t digest;
    qint64 row;
};

// The smallest row numbers seen, at most `keep` of them.
void keepFirst(std::vector<qint64>& rows, qint64 row, size_t keep)
{
    if (rows.size() == keep && row >= rows.back())
        return;
    rows.insert(std::upper_bound(rows.begin(), rows.end(), row), row);
    if (rows.size() > keep)
        rows.pop_back();
}

class DigestFile {
public:
    explicit DigestFile(const RowDigests& d) : m_d(d), m_record(d.recordSize()) {}

    // Every row's digest, in order.
    template <typename F> void each(F&& f) const
    {
        std::FILE* file = m_d.file();
        std::fflush(file);
        std::rewind(file);
        std::vector<unsigned char> buffer(m_record * 4096);
        qint64 row = 0;
        while (row < m_d.rows()) {
            const size_t n = std::fread(buffer.data(), m_record, 4096, file);
            if (n == 0)
                break;
            for (size_t i = 0; i < n; ++i, ++row) {
                std::uint64_t digest;
                std::memcpy(&digest, buffer.data() + i * m_record, sizeof digest);
                f(digest, row);
            }
        }
    }
    // The field digests of one row.
    std::vector<std::uint32_t> fields(qint64 row) const
    {
        std::vector<std::uint32_t> out(size_t(m_d.fields()));
        std::FILE* file = m_d.file();
        std::fflush(file);
        if (fseeko(file, off_t(row) * off_t(m_record) + 8, SEEK_SET) != 0 ||
            std::fread(out.data(), 4, out.size(), file) != out.size())
            out.clear();
        return out;
    }

private:
    const RowDigests& m_d;
    size_t m_record;
};

} // namespace

std::uint64_t valueDigest(const Value& v)
{
    switch (v.kind()) {
    case Value::Kind::Null:
        return kNullDigest;
    case Value::Kind::Bool:
        return integerDigest(v.toBool() ? 1 : 0);
    case Value::Kind::Int:
        return integerDigest(v.toInt());
    case Value::Kind::UInt:
        if (v.toUInt() <= std::uint64_t(std::numeric_limits<std::int64_t>::max()))
            return integerDigest(std::int64_t(v.toUInt()));
        return realDigest(double(v.toUInt()));
    case Value::Kind::Single:
        return realDigest(double(v.toSingle()));
    case Value::Kind::Double:
        return realDigest(v.toDouble());
    case Value::Kind::Decimal:
        return v.toDecimal().text.isEmpty() ? kNullDigest : decimalDigest(v.toDecimal().text);
    case Value::Kind::Text: {
        const QString& s = v.toString();
        return s.isEmpty() ? kNullDigest
                           : bitsDigest(s.constData(), size_t(s.size()) * sizeof(QChar), kTextSeed);
    }
    case Value::Kind::Bytes: {
        const QByteArray& b = v.toBytes();
        return b.isEmpty() ? kNullDigest : bitsDigest(b.constData(), size_t(b.size()), kBytesSeed);
    }
    case Value::Kind::Date:
        return whenDigest(v.toDate(), Time{});
    case Value::Kind::Time:
        return mix(timeOfDay(v.toTime()) ^ kTimeSeed);
    case Value::Kind::Timestamp:
        return whenDigest(v.toTimestamp().date, v.toTimestamp().time);
    }
    return kNullDigest;
}

RowDigests::RowDigests(int fields) : m_fields(std::max(fields, 0))
{
    m_file = std::tmpfile();
    if (!m_file)
        m_error = QString::fromLocal8Bit(std::strerror(errno));
}

RowDigests::~RowDigests()
{
    if (m_file)
        std::fclose(m_file);
}

void RowDigests::hold(const std::uint64_t* fieldDigests)
{
    m_held.insert(m_held.end(), fieldDigests, fieldDigests + m_fields);
    m_heldSome.push_back(true);
}

void RowDigests::holdNothing()
{
    m_held.resize(m_held.size() + size_t(m_fields), 0);
    m_heldSome.push_back(false);
}

void RowDigests::settle(bool arrived)
{
    if (m_heldFirst >= m_heldSome.size())
        return;
    if (arrived && m_heldSome[m_heldFirst])
        count(m_held.data() + m_heldFirst * size_t(m_fields));
    if (++m_heldFirst == m_heldSome.size()) {
        m_held.clear();
        m_heldSome.clear();
        m_heldFirst = 0;
    }
}

void RowDigests::add(const std::uint64_t* fieldDigests) { count(fieldDigests); }

void RowDigests::count(const std::uint64_t* fields)
{
    const std::uint64_t r = rowDigest(fields, m_fields);
    ++m_rows;
    m_sum += r;
    m_mixed += mix(r ^ kNullDigest);
    if (!m_file)
        return;
    unsigned char record[8 + 4 * 256];
    std::vector<unsigned char> big;
    unsigned char* out = record;
    if (recordSize() > sizeof record) {
        big.resize(recordSize());
        out = big.data();
    }
    std::memcpy(out, &r, 8);
    for (int i = 0; i < m_fields; ++i) {
        const std::uint32_t s = shortDigest(fields[i]);
        std::memcpy(out + 8 + 4 * size_t(i), &s, 4);
    }
    if (std::fwrite(out, recordSize(), 1, m_file) != 1) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        std::fclose(m_file);
        m_file = nullptr;
    }
}

bool RowDigests::sameRows(const RowDigests& other) const
{
    return m_fields == other.m_fields && m_rows == other.m_rows && m_sum == other.m_sum &&
           m_mixed == other.m_mixed;
}

QString describeDifference(const QString& table, const RowDigests& sent, const RowDigests& held,
                           const QStringList& names)
{
    QString text = QStringLiteral("The table %1 does not hold what was sent: %2 sent, %3 in it.")
                       .arg(table, groupedRows(sent.rows()), groupedRows(held.rows()));
    if (sent.fields() != held.fields())
        return text + QStringLiteral(" It has %1 fields where %2 were sent.")
                          .arg(held.fields())
                          .arg(sent.fields());
    if (!sent.file() || !held.file())
        return text + QStringLiteral(" Which rows differ is not known: ") +
               (sent.file() ? held.error() : sent.error());

    // Rows of each side that the other lacks, found a share of the digests at a time.
    const qint64 passes =
        std::max<qint64>(1, (std::max(sent.rows(), held.rows()) + kPassRows - 1) / kPassRows);
    const DigestFile sentFile(sent);
    const DigestFile heldFile(held);
    qint64 missing = 0;
    qint64 extra = 0;
    std::vector<qint64> firstMissing;
    std::vector<qint64> candidates;
    for (qint64 pass = 0; pass < passes; ++pass) {
        std::vector<Entry> a;
        std::vector<Entry> b;
        auto collect = [&](std::vector<Entry>& into) {
            return [&into, pass, passes](std::uint64_t digest, qint64 row) {
                if (qint64(digest % std::uint64_t(passes)) == pass)
                    into.push_back({digest, row});
            };
        };
        sentFile.each(collect(a));
        heldFile.each(collect(b));
        auto order = [](const Entry& x, const Entry& y) {
            return x.digest != y.digest ? x.digest < y.digest : x.row < y.row;
        };
        std::sort(a.begin(), a.end(), order);
        std::sort(b.begin(), b.end(), order);
        size_t i = 0;
        size_t j = 0;
        while (i < a.size() || j < b.size()) {
            if (j == b.size() || (i < a.size() && a[i].digest < b[j].digest)) {
                ++missing;
                keepFirst(firstMissing, a[i++].row, kNamed);
            } else if (i == a.size() || b[j].digest < a[i].digest) {
                ++extra;
                keepFirst(candidates, b[j++].row, kCandidates);
            } else {
                ++i;
                ++j;
            }
        }
    }
    text += QStringLiteral(" %1 sent %2 not in it as sent, %3 of it %4 not among those sent.")
                .arg(groupedRows(missing), missing == 1 ? "is" : "are", groupedRows(extra),
                     extra == 1 ? "is" : "are");

    // A row of the table that matches a missing row in some fields is that row changed.
    std::map<qint64, std::vector<std::uint32_t>> pool;
    for (qint64 row : candidates)
        pool.emplace(row, heldFile.fields(row));
    for (qint64 row : firstMissing) {
        const std::vector<std::uint32_t> mine = sentFile.fields(row);
        auto best = pool.end();
        int bestEqual = 0;
        for (auto it = pool.begin(); it != pool.end(); ++it) {
            int equal = 0;
            for (size_t f = 0; f < mine.size() && f < it->second.size(); ++f)
                equal += mine[f] == it->second[f];
            if (equal > bestEqual) {
                best = it;
                bestEqual = equal;
            }
        }
        text += QStringLiteral("\nRow %1 of the source: ").arg(groupedCount(row + 1));
        if (best == pool.end()) {
            text += QStringLiteral("not in the table.");
            continue;
        }
        QStringList differ;
        for (size_t f = 0; f < mine.size() && f < best->second.size(); ++f)
            if (mine[f] != best->second[f])
                differ << names.value(qsizetype(f), QString::number(f + 1));
        text += (differ.size() == 1 ? QStringLiteral("field %1 differs")
                                    : QStringLiteral("fields %1 differ"))
                    .arg(differ.join(QStringLiteral(", "))) +
                QStringLiteral(" (row %1 of the table).").arg(groupedCount(best->first + 1));
        pool.erase(best);
    }
    size_t told = 0;
    for (auto it = pool.begin(); it != pool.end() && told < kNamed; ++it, ++told)
        text += QStringLiteral("\nRow %1 of the table is not among the rows sent.")
                    .arg(groupedCount(it->first + 1));
    return text;
}

} // namespace tabulex
