#include "app/DecimalText.h"


#include <charconv>
#include <cmath>

namespace tabulex {

std::optional<DecimalParts> parseDecimal(const QString& text)
{
    const QChar* p = text.constData();
    const QChar* end = p + text.size();
    while (p < end && p->isSpace())
        ++p;
    while (end > p && (end - 1)->isSpace())
        --end;
    DecimalParts d;
    bool negative = false;
    if (p < end && (*p == u'+' || *p == u'-'))
        negative = *p++ == u'-';
    QString digits;
    digits.reserve(end - p);
    int fractionDigits = 0;
    bool any = false, point = false;
    for (; p < end; ++p) {
        const char16_t c = p->unicode();
        if (c >= u'0' && c <= u'9') {
            if (!(digits.isEmpty() && c == u'0'))
                digits += QChar(c);
            fractionDigits += point ? 1 : 0;
            any = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!any)
        return std::nullopt;
    int exponent = 0;
    if (p < end && (*p == u'e' || *p == u'E')) {
        ++p;
        bool negExp = false;
        if (p < end && (*p == u'+' || *p == u'-'))
            negExp = *p++ == u'-';
        int n = 0, count = 0;
        for (; p < end && p->unicode() >= u'0' && p->unicode() <= u'9' && count < 5; ++p, ++count)
            n = n * 10 + (p->unicode() - u'0');
        if (count == 0 || count > 4)
            return std::nullopt;
        exponent = negExp ? -n : n;
    }
    if (p != end)
        return std::nullopt;
    exponent -= fractionDigits;
    while (digits.endsWith(u'0')) {
        digits.chop(1);
        ++exponent;
    }
    d.digits = digits;
    d.exponent = digits.isEmpty() ? 0 : exponent;
    d.negative = !digits.isEmpty() && negative;
    return d;
}

bool sameDecimalValue(const QString& a, const QString& b)
{
    const auto pa = parseDecimal(a), pb = parseDecimal(b);
    return pa && pb && *pa == *pb;
}

std::optional<double> exactDouble(const QString& text)
{
    const auto parts = parseDecimal(text);
    if (!parts)
        return std::nullopt;
    const QByteArray latin = text.trimmed().toLatin1();
    const char* begin = latin.constData();
    if (*begin == '+')
        ++begin;
    double d = 0;
    const auto res = std::from_chars(begin, latin.constData() + latin.size(), d);
    if (res.ec != std::errc() || !std::isfinite(d))
        return std::nullopt;
    char buf[64];
    const auto out = std::to_chars(buf, buf + sizeof buf, d);
    const auto back = parseDecimal(QString::fromLatin1(buf, int(out.ptr - buf)));
    if (!back || !(*back == *parts))
        return std::nullopt;
    return d == 0 ? 0.0 : d;
}

} // namespace tabulex
