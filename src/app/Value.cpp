#include "app/Value.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tabulex {

namespace {

QString fraction(int nanos)
{
    if (nanos <= 0)
        return {};
    char buf[16];
    std::snprintf(buf, sizeof buf, ".%09d", nanos);
    QString s = QString::fromLatin1(buf);
    while (s.endsWith(u'0'))
        s.chop(1);
    return s;
}

template <typename F> QString shortest(F v)
{
    if (std::isnan(v))
        return QStringLiteral("NaN");
    if (std::isinf(v))
        return v < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, v);
    return QString::fromLatin1(buf, int(res.ptr - buf));
}

} // namespace

QString formatDate(const Date& d)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return QString::fromLatin1(buf);
}

QString formatTime(const Time& t)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    return QString::fromLatin1(buf) + fraction(t.nanos);
}

QString formatTimestamp(const Timestamp& ts)
{
    return formatDate(ts.date) + u'T' + formatTime(ts.time);
}

QString formatDouble(double v) { return shortest(v); }
QString formatSingle(float v) { return shortest(v); }

QString Value::toText() const
{
    switch (kind()) {
    case Kind::Null:
        return {};
    case Kind::Bool:
        return toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Int:
        return QString::number(toInt());
    case Kind::UInt:
        return QString::number(toUInt());
    case Kind::Single:
        return formatSingle(toSingle());
    case Kind::Double:
        return formatDouble(toDouble());
    case Kind::Decimal:
        return toDecimal().text;
    case Kind::Text:
        return toString();
    case Kind::Bytes:
        return QString::fromLatin1(toBytes().toHex().toUpper());
    case Kind::Date:
        return formatDate(toDate());
    case Kind::Time:
        return formatTime(toTime());
    case Kind::Timestamp:
        return formatTimestamp(toTimestamp());
    }
    return {};
}

} // namespace tabulex
