#include "app/DecimalText.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>

namespace tabulex {

std::optional<DecimalParts> parseDecimal(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*([+-]?)(\\d*)(?:\\.(\\d*))?(?:[eE]([+-]?\\d{1,4}))?\\s*$"));
    const auto m = re.match(text);
    if (!m.hasMatch() || (m.capturedLength(2) == 0 && m.capturedLength(3) == 0))
        return std::nullopt;
    const QString frac = m.captured(3);
    QString digits = m.captured(2) + frac;
    int exponent = m.captured(4).toInt() - int(frac.size());
    qsizetype lead = 0;
    while (lead < digits.size() && digits[lead] == u'0')
        ++lead;
    digits.remove(0, lead);
    while (digits.endsWith(u'0')) {
        digits.chop(1);
        ++exponent;
    }
    DecimalParts p;
    p.digits = digits;
    p.exponent = digits.isEmpty() ? 0 : exponent;
    p.negative = !digits.isEmpty() && m.captured(1) == u"-";
    return p;
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
