#include "core/Value.h"

#include <charconv>
#include <cmath>

namespace tabulex {

namespace {

// Appends n as exactly `width` digits (more when n needs them).
void appendDigits(QString& out, int n, int width)
{
    if (n < 0) {
        out += u'-';
        n = -n;
    }
    char16_t buf[12];
    int len = 0;
    do {
        buf[len++] = char16_t(u'0' + n % 10);
        n /= 10;
    } while (n);
    for (int k = len; k < width; ++k)
        out += u'0';
    while (len)
        out += QChar(buf[--len]);
}

void appendFraction(QString& out, int nanos)
{
    if (nanos <= 0)
        return;
    int width = 9;
    while (nanos % 10 == 0) {
        nanos /= 10;
        --width;
    }
    out += u'.';
    appendDigits(out, nanos, width);
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

void appendDate(QString& out, const Date& d)
{
    appendDigits(out, d.year, 4);
    out += u'-';
    appendDigits(out, d.month, 2);
    out += u'-';
    appendDigits(out, d.day, 2);
}

void appendTime(QString& out, const Time& t)
{
    appendDigits(out, t.hour, 2);
    out += u':';
    appendDigits(out, t.minute, 2);
    out += u':';
    appendDigits(out, t.second, 2);
    appendFraction(out, t.nanos);
}

QString formatDate(const Date& d)
{
    QString out;
    appendDate(out, d);
    return out;
}

QString formatTime(const Time& t)
{
    QString out;
    appendTime(out, t);
    return out;
}

QString formatTimestamp(const Timestamp& ts) { return Value(ts).toText(); }

QString formatDouble(double v) { return shortest(v); }

namespace {

// Reads between min and max digits at text[i]; -1 when fewer than min are there.
int digitsAt(QStringView text, int& i, int min, int max)
{
    int n = 0, count = 0;
    while (i < text.size() && count < max && text[i] >= u'0' && text[i] <= u'9') {
        n = n * 10 + (text[i].unicode() - u'0');
        ++i;
        ++count;
    }
    return count >= min ? n : -1;
}

bool charAt(QStringView text, int& i, char16_t c)
{
    if (i < text.size() && text[i] == c) {
        ++i;
        return true;
    }
    return false;
}

} // namespace

int parseDate(QStringView text, Date& date)
{
    int i = 0;
    const bool negative = charAt(text, i, u'-');
    const int y = digitsAt(text, i, 1, 5);
    if (y < 0 || !charAt(text, i, u'-'))
        return 0;
    const int m = digitsAt(text, i, 1, 2);
    if (m < 0 || !charAt(text, i, u'-'))
        return 0;
    const int d = digitsAt(text, i, 1, 2);
    if (d < 0)
        return 0;
    date = Date{negative ? -y : y, m, d};
    return i;
}

int parseTime(QStringView text, Time& time)
{
    int i = 0;
    const int h = digitsAt(text, i, 1, 2);
    if (h < 0 || !charAt(text, i, u':'))
        return 0;
    const int m = digitsAt(text, i, 2, 2);
    if (m < 0)
        return 0;
    int s = 0, nanos = 0;
    if (charAt(text, i, u':')) {
        s = digitsAt(text, i, 2, 2);
        if (s < 0)
            return 0;
        if (charAt(text, i, u'.')) {
            const int start = i;
            const int f = digitsAt(text, i, 1, 9);
            if (f < 0)
                return 0;
            nanos = f;
            for (int k = i - start; k < 9; ++k)
                nanos *= 10;
        }
    }
    time = Time{h, m, s, nanos};
    return i;
}
QString formatSingle(float v) { return shortest(v); }

QString Value::toText() const
{
    if (kind() == Kind::Text)
        return toString();
    QString out;
    appendText(out);
    return out;
}

void Value::appendText(QString& out) const
{
    char buf[64];
    switch (kind()) {
    case Kind::Null:
        return;
    case Kind::Bool:
        out += toBool() ? QLatin1String("True") : QLatin1String("False");
        return;
    case Kind::Int: {
        const auto r = std::to_chars(buf, buf + sizeof buf, toInt());
        out += QLatin1String(buf, int(r.ptr - buf));
        return;
    }
    case Kind::UInt: {
        const auto r = std::to_chars(buf, buf + sizeof buf, toUInt());
        out += QLatin1String(buf, int(r.ptr - buf));
        return;
    }
    case Kind::Single:
        out += formatSingle(toSingle());
        return;
    case Kind::Double:
        out += formatDouble(toDouble());
        return;
    case Kind::Decimal:
        out += toDecimal().text;
        return;
    case Kind::Text:
        out += toString();
        return;
    case Kind::Bytes:
        out += QLatin1String(toBytes().toHex().toUpper());
        return;
    case Kind::Date:
        appendDate(out, toDate());
        return;
    case Kind::Time:
        appendTime(out, toTime());
        return;
    case Kind::Timestamp:
        appendDate(out, toTimestamp().date);
        out += u'T';
        appendTime(out, toTimestamp().time);
        return;
    }
}

} // namespace tabulex
