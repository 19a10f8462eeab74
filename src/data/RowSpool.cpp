#include "data/RowSpool.h"

#include "core/DataError.h"

#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace tabulex {

namespace {

constexpr size_t kBufferSize = 1 << 20;

} // namespace

RowSpool::RowSpool() : m_buffer(kBufferSize)
{
    // An unlinked file in the temporary folder: nothing is left behind, whatever happens.
    const QByteArray folder = QFile::encodeName(QDir::tempPath());
    m_fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        // File systems without O_TMPFILE: a named file, unlinked at once.
        QByteArray name = folder + "/tabulex-rows-XXXXXX";
        m_fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (m_fd >= 0)
            ::unlink(name.constData());
    }
    if (m_fd < 0)
        throw DataError(QStringLiteral("Cannot create a temporary file for the rows: %1")
                            .arg(QString::fromLocal8Bit(std::strerror(errno))));
}

RowSpool::~RowSpool()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void RowSpool::flush()
{
    size_t done = 0;
    while (done < m_pos) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_pos - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw DataError(QStringLiteral("Cannot write the temporary row file: %1")
                                .arg(QString::fromLocal8Bit(std::strerror(errno))));
        done += size_t(n);
    }
    m_pos = 0;
}

void RowSpool::fill()
{
    ssize_t n;
    do
        n = ::read(m_fd, m_buffer.data(), m_buffer.size());
    while (n < 0 && errno == EINTR);
    if (n <= 0)
        throw DataError(QStringLiteral("Cannot read the temporary row file."));
    m_pos = 0;
    m_end = size_t(n);
}

void RowSpool::put(const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size) {
        if (m_pos == m_buffer.size())
            flush();
        const size_t n = std::min(size, m_buffer.size() - m_pos);
        std::memcpy(m_buffer.data() + m_pos, p, n);
        m_pos += n;
        p += n;
        size -= n;
    }
}

void RowSpool::get(void* data, size_t size)
{
    char* p = static_cast<char*>(data);
    while (size) {
        if (m_pos == m_end)
            fill();
        const size_t n = std::min(size, m_end - m_pos);
        std::memcpy(p, m_buffer.data() + m_pos, n);
        m_pos += n;
        p += n;
        size -= n;
    }
}

void RowSpool::write(const std::vector<Value>& row)
{
    for (const Value& v : row)
        writeValue(v);
    ++m_rows;
}

void RowSpool::rewind()
{
    flush();
    if (::lseek(m_fd, 0, SEEK_SET) != 0)
        throw DataError(QStringLiteral("Cannot rewind the temporary row file."));
    m_pos = m_end = 0;
    m_read = 0;
}

bool RowSpool::read(std::vector<Value>& row)
{
    if (m_read >= m_rows)
        return false;
    for (Value& v : row)
        v = readValue();
    ++m_read;
    return true;
}

void RowSpool::writeValue(const Value& v)
{
    const auto tag = static_cast<std::uint8_t>(v.kind());
    put(&tag, 1);
    switch (v.kind()) {
    case Value::Kind::Null:
        break;
    case Value::Kind::Bool: {
        const std::uint8_t b = v.toBool();
        put(&b, 1);
        break;
    }
    case Value::Kind::Int: {
        const std::int64_t i = v.toInt();
        put(&i, sizeof i);
        break;
    }
    case Value::Kind::UInt: {
        const std::uint64_t u = v.toUInt();
        put(&u, sizeof u);
        break;
    }
    case Value::Kind::Single: {
        const float f = v.toSingle();
        put(&f, sizeof f);
        break;
    }
    case Value::Kind::Double: {
        const double d = v.toDouble();
        put(&d, sizeof d);
        break;
    }
    case Value::Kind::Decimal:
    case Value::Kind::Text: {
        const QString& s = v.kind() == Value::Kind::Text ? v.toString() : v.toDecimal().text;
        const std::uint64_t n = std::uint64_t(s.size());
        put(&n, sizeof n);
        put(s.constData(), size_t(n) * sizeof(QChar));
        break;
    }
    case Value::Kind::Bytes: {
        const QByteArray& b = v.toBytes();
        const std::uint64_t n = std::uint64_t(b.size());
        put(&n, sizeof n);
        put(b.constData(), size_t(n));
        break;
    }
    case Value::Kind::Date: {
        const Date& d = v.toDate();
        const std::int32_t a[3] = {d.year, d.month, d.day};
        put(a, sizeof a);
        break;
    }
    case Value::Kind::Time: {
        const Time& t = v.toTime();
        const std::int32_t a[4] = {t.hour, t.minute, t.second, t.nanos};
        put(a, sizeof a);
        break;
    }
    case Value::Kind::Timestamp: {
        const Timestamp& ts = v.toTimestamp();
        const std::int32_t a[7] = {ts.date.year,   ts.date.month,  ts.date.day,  ts.time.hour,
                                   ts.time.minute, ts.time.second, ts.time.nanos};
        put(a, sizeof a);
        break;
    }
    }
}

Value RowSpool::readValue()
{
    std::uint8_t tag = 0;
    get(&tag, 1);
    switch (static_cast<Value::Kind>(tag)) {
    case Value::Kind::Null:
        return {};
    case Value::Kind::Bool: {
        std::uint8_t b = 0;
        get(&b, 1);
        return Value(b != 0);
    }
    case Value::Kind::Int: {
        std::int64_t i = 0;
        get(&i, sizeof i);
        return Value(i);
    }
    case Value::Kind::UInt: {
        std::uint64_t u = 0;
        get(&u, sizeof u);
        return Value(u);
    }
    case Value::Kind::Single: {
        float f = 0;
        get(&f, sizeof f);
        return Value(f);
    }
    case Value::Kind::Double: {
        double d = 0;
        get(&d, sizeof d);
        return Value(d);
    }
    case Value::Kind::Decimal:
    case Value::Kind::Text: {
        std::uint64_t n = 0;
        get(&n, sizeof n);
        QString s(qsizetype(n), Qt::Uninitialized);
        get(s.data(), size_t(n) * sizeof(QChar));
        if (tag == std::uint8_t(Value::Kind::Decimal))
            return Value(Decimal{s});
        return Value(std::move(s));
    }
    case Value::Kind::Bytes: {
        std::uint64_t n = 0;
        get(&n, sizeof n);
        QByteArray b(qsizetype(n), Qt::Uninitialized);
        get(b.data(), size_t(n));
        return Value(std::move(b));
    }
    case Value::Kind::Date: {
        std::int32_t a[3];
        get(a, sizeof a);
        return Value(Date{a[0], a[1], a[2]});
    }
    case Value::Kind::Time: {
        std::int32_t a[4];
        get(a, sizeof a);
        return Value(Time{a[0], a[1], a[2], a[3]});
    }
    case Value::Kind::Timestamp: {
        std::int32_t a[7];
        get(a, sizeof a);
        return Value(Timestamp{Date{a[0], a[1], a[2]}, Time{a[3], a[4], a[5], a[6]}});
    }
    }
    throw DataError(QStringLiteral("The temporary row file is damaged."));
}

} // namespace tabulex
