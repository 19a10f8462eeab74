#include "core/DecimalText.h"

#include <charconv>
#include <cmath>

namespace tabulex {

std::optional<DecimalParts> parseDecimal(const QString& text)
{
    QStringView v = QStringView(text).trimmed();
    qsizetype i = 0;
    const qsizetype n = v.size();
    bool negative = false;
    if (i < n && (v[i] == u'+' || v[i] == u'-'))
        negative = v[i++] == u'-';
    auto isDigit = [&](qsizetype k) { return k < n && v[k] >= u'0' && v[k] <= u'9'; };
    const qsizetype intStart = i;
    while (isDigit(i))
        ++i;
    const QStringView intPart = v.mid(intStart, i - intStart);
    QStringView fracPart;
    if (i < n && v[i] == u'.') {
        const qsizetype fracStart = ++i;
        while (isDigit(i))
            ++i;
        fracPart = v.mid(fracStart, i - fracStart);
    }
    if (intPart.isEmpty() && fracPart.isEmpty())
        return std::nullopt;
    int exponent = 0;
    if (i < n && (v[i] == u'e' || v[i] == u'E')) {
        ++i;
        bool negExp = false;
        if (i < n && (v[i] == u'+' || v[i] == u'-'))
            negExp = v[i++] == u'-';
        const qsizetype expStart = i;
        while (isDigit(i) && i - expStart < 5)
            exponent = exponent * 10 + (v[i++].unicode() - u'0');
        if (i == expStart || i - expStart > 4)
            return std::nullopt;
        if (negExp)
            exponent = -exponent;
    }
    if (i != n)
        return std::nullopt;
    exponent -= int(fracPart.size());
    QString digits;
    digits.reserve(intPart.size() + fracPart.size());
    digits.append(intPart);
    digits.append(fracPart);
    qsizetype lead = 0, end = digits.size();
    while (lead < end && digits[lead] == u'0')
        ++lead;
    while (end > lead && digits[end - 1] == u'0') {
        --end;
        ++exponent;
    }
    DecimalParts d;
    d.digits = digits.mid(lead, end - lead);
    d.exponent = d.digits.isEmpty() ? 0 : exponent;
    d.negative = !d.digits.isEmpty() && negative;
    return d;
}

bool sameDecimalValue(const QString& a, const QString& b)
{
    const auto pa = parseDecimal(a), pb = parseDecimal(b);
    return pa && pb && *pa == *pb;
}

namespace {

// The significant digits and power of ten of an ASCII decimal number, without allocating.
struct SmallDecimal {
    bool negative = false;
    char digits[24];
    int length = 0;
    int exponent = 0;
};

// False when the text is no number or has more than 17 significant digits (which no
// double's shortest text has).
bool smallDecimal(const char* p, const char* end, SmallDecimal& d)
{
    if (p < end && (*p == '+' || *p == '-'))
        d.negative = *p++ == '-';
    bool any = false, point = false;
    int trailingZeros = 0;
    for (; p < end; ++p) {
        if (*p >= '0' && *p <= '9') {
            any = true;
            if (point)
                --d.exponent;
            if (*p == '0' && d.length == 0)
                continue;
            if (*p == '0') {
                ++trailingZeros;
                continue;
            }
            if (d.length + trailingZeros + 1 > 17)
                return false;
            for (; trailingZeros; --trailingZeros)
                d.digits[d.length++] = '0';
            d.digits[d.length++] = *p;
        } else if (*p == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    d.exponent += trailingZeros;
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        if (p < end && *p == '+')
            ++p;
        int e = 0;
        const auto r = std::from_chars(p, end, e);
        if (r.ec != std::errc() || r.ptr != end)
            return false;
        d.exponent += e;
        p = end;
    }
    if (!any || p != end)
        return false;
    if (d.length == 0) {
        d.negative = false;
        d.exponent = 0;
    }
    return true;
}

bool operator==(const SmallDecimal& a, const SmallDecimal& b)
{
    return a.negative == b.negative && a.length == b.length && a.exponent == b.exponent &&
           std::equal(a.digits, a.digits + a.length, b.digits);
}

} // namespace

std::optional<double> exactDouble(const QString& text)
{
    // Decimal numbers are ASCII; anything longer than 64 characters has too many digits.
    const QStringView v = QStringView(text).trimmed();
    char buf[64];
    if (v.size() >= qsizetype(sizeof buf))
        return std::nullopt;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i].unicode() > 0x7F)
            return std::nullopt;
        buf[i] = char(v[i].unicode());
    }
    const char* end = buf + v.size();
    SmallDecimal in;
    if (!smallDecimal(buf, end, in))
        return std::nullopt;
    double d = 0;
    const auto res = std::from_chars(buf + (buf[0] == '+' ? 1 : 0), end, d);
    if (res.ec != std::errc() || res.ptr != end || !std::isfinite(d))
        return std::nullopt;
    char out[64];
    const auto written = std::to_chars(out, out + sizeof out, d);
    SmallDecimal back;
    if (!smallDecimal(out, written.ptr, back) || !(back == in))
        return std::nullopt;
    return d == 0 ? 0.0 : d;
}

} // namespace tabulex
