#include "transfer/SilentChanges.h"

#include "core/DataError.h"
#include "core/DecimalText.h"
#include "data/Recordset.h"
#include "paradox/CodePage.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>

namespace tabulex {

namespace {

[[noreturn]] void refuse(const Field& f, const QString& why)
{
    QString shown = f.value.toText();
    if (shown.size() > 60)
        shown = shown.left(57) + QStringLiteral("...");
    throw DataError(QStringLiteral("The value '%1' of the field '%2' would not arrive unchanged: "
                                   "%3")
                        .arg(shown, f.name, why));
}

bool isAscii(const QString& s)
{
    for (QChar c : s)
        if (c.unicode() > 0x7F)
            return false;
    return true;
}

bool isNumberKind(const Value& v)
{
    return v.kind() == Value::Kind::Int || v.kind() == Value::Kind::UInt ||
           v.kind() == Value::Kind::Double || v.kind() == Value::Kind::Single ||
           v.kind() == Value::Kind::Decimal || v.kind() == Value::Kind::Text;
}

// A decimal text that a single-precision float holds as the same number.
bool fitsSingle(const QString& text)
{
    const QByteArray latin = text.trimmed().toLatin1();
    const char* begin = latin.constData() + (latin.startsWith('+') ? 1 : 0);
    float f = 0;
    const auto r = std::from_chars(begin, latin.constData() + latin.size(), f);
    if (r.ec != std::errc() || !std::isfinite(f))
        return false;
    char out[32];
    const auto w = std::to_chars(out, out + sizeof out, f);
    return sameDecimalValue(text, QString::fromLatin1(out, int(w.ptr - out)));
}

void checkNumber(const Field& f, const SilentChanges& c)
{
    const Value& v = f.value;
    if ((!c.doubleRounding && !c.singleRounding && c.decimals < 0) || !isNumberKind(v))
        return;
    // A double is what a float column holds; a whole number up to 2^53 too.
    constexpr std::int64_t kExact = std::int64_t(1) << 53;
    const bool onlyDouble = !c.singleRounding && c.decimals < 0;
    if (onlyDouble &&
        (v.kind() == Value::Kind::Double || v.kind() == Value::Kind::Single ||
         (v.kind() == Value::Kind::Int && v.toInt() >= -kExact && v.toInt() <= kExact)))
        return;
    const QString text = v.toText();
    const auto parts = parseDecimal(text);
    if (!parts)
        return; // not a number: the server refuses it itself
    if (c.doubleRounding && !exactDouble(text))
        refuse(f, QStringLiteral("a float column rounds it."));
    if (c.singleRounding && !fitsSingle(text))
        refuse(f, QStringLiteral("a real column rounds it."));
    if (c.decimals >= 0) {
        if (-parts->exponent > c.decimals)
            refuse(f, QStringLiteral("the column keeps %1 decimals.").arg(c.decimals));
        if (int(parts->digits.size()) + parts->exponent > c.integerDigits)
            refuse(f, QStringLiteral("the column holds %1 digits before the point.")
                          .arg(c.integerDigits));
    }
}

void checkTime(const Field& f, const SilentChanges& c)
{
    const Value& v = f.value;
    if (!c.toThreeHundredths && !c.toMinutes && !c.dateOnly)
        return;
    Time t;
    if (v.kind() == Value::Kind::Timestamp)
        t = v.toTimestamp().time;
    else if (v.kind() == Value::Kind::Time)
        t = v.toTime();
    else
        return;
    const bool wholeMs = t.nanos % 1000000 == 0;
    const int ms = t.nanos / 1000000;
    if (c.toThreeHundredths && (!wholeMs || (ms % 10 != 0 && ms % 10 != 3 && ms % 10 != 7)))
        refuse(f, QStringLiteral("a datetime column keeps three-hundredths of a second."));
    if (c.toMinutes && (t.second != 0 || t.nanos != 0))
        refuse(f, QStringLiteral("a smalldatetime column keeps whole minutes."));
    if (c.dateOnly && v.kind() == Value::Kind::Timestamp && t != Time{})
        refuse(f, QStringLiteral("a date column keeps no time of day."));
}

void checkText(const Field& f, const SilentChanges& c)
{
    const Value& v = f.value;
    if (c.textOnly && v.kind() == Value::Kind::Bytes)
        refuse(f, QStringLiteral("binary data would arrive as its hexadecimal text."));
    if (c.codePage1252 && v.kind() == Value::Kind::Text && !isAscii(v.toString())) {
        static const paradox::TextEncoder encoder("CP1252");
        std::string out;
        char32_t bad = 0;
        if (!encoder.encode(v.toString().toStdString(), out, bad))
            refuse(f, QStringLiteral("%1 has no place in the column's code page 1252 (choose "
                                     "NCHAR, NVARCHAR or NTEXT).")
                          .arg(QString::fromStdString(paradox::describeCharacter(bad))));
    }
}

} // namespace

SilentChanges silentChangesOf(const QString& sqlServerType)
{
    static const QRegularExpression re(
        QStringLiteral(
            "^\\s*([A-Za-z_]+)\\s*(?:\\(\\s*(\\d+|max)\\s*(?:,\\s*(\\d+)\\s*)?\\))?\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    SilentChanges c;
    const auto m = re.match(sqlServerType);
    if (!m.hasMatch())
        return c;
    const QString name = m.captured(1).toUpper();
    const bool binary = name == u"BINARY" || name == u"VARBINARY" || name == u"IMAGE";
    c.textOnly = !binary;
    if (name == u"FLOAT" && m.capturedLength(2) && m.captured(2).toInt() <= 24)
        c.singleRounding = true; // FLOAT(1) to FLOAT(24) is a real
    else if (name == u"FLOAT")
        c.doubleRounding = true;
    else if (name == u"REAL")
        c.singleRounding = true;
    else if (name == u"DECIMAL" || name == u"NUMERIC" || name == u"DEC") {
        const int precision = m.capturedLength(2) ? m.captured(2).toInt() : 18;
        c.decimals = m.capturedLength(3) ? m.captured(3).toInt() : 0;
        c.integerDigits = precision - c.decimals;
    } else if (name == u"MONEY" || name == u"SMALLMONEY") {
        c.decimals = 4;
        c.integerDigits = name == u"MONEY" ? 15 : 6;
    } else if (name == u"DATETIME")
        c.toThreeHundredths = true;
    else if (name == u"SMALLDATETIME")
        c.toMinutes = true;
    else if (name == u"DATE")
        c.dateOnly = true;
    else if (name == u"CHAR" || name == u"VARCHAR" || name == u"TEXT")
        c.codePage1252 = true;
    return c;
}

void refuseSilentChange(const Field& field, const SilentChanges& changes)
{
    if (field.value.isNull() || !changes.any())
        return;
    checkText(field, changes);
    checkNumber(field, changes);
    checkTime(field, changes);
}

} // namespace tabulex
