#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <variant>

namespace tabulex {

// Calendar date; year may be anything a source holds (Paradox dates reach year 1).
struct Date {
    int year = 1;
    int month = 1;
    int day = 1;
    friend bool operator==(const Date&, const Date&) = default;
};

// Time of day with fractional seconds in nanoseconds.
struct Time {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int nanos = 0;
    friend bool operator==(const Time&, const Time&) = default;
};

struct Timestamp {
    Date date;
    Time time;
    friend bool operator==(const Timestamp&, const Timestamp&) = default;
};

// Exact decimal number kept as its canonical text ("-12.3400"), as read from the source.
struct Decimal {
    QString text;
    friend bool operator==(const Decimal&, const Decimal&) = default;
};

// A field value as a recordset delivers it: Null or one value of the field's kind.
class Value {
public:
    enum class Kind {
        Null,
        Bool,
        Int,
        UInt,
        Single,
        Double,
        Decimal,
        Text,
        Bytes,
        Date,
        Time,
        Timestamp
    };

    Value() = default;
    Value(bool v) : m_v(v) {}
    Value(int v) : m_v(std::int64_t(v)) {}
    Value(long v) : m_v(std::int64_t(v)) {}
    Value(long long v) : m_v(std::int64_t(v)) {}
    Value(unsigned long v) : m_v(std::uint64_t(v)) {}
    Value(unsigned long long v) : m_v(std::uint64_t(v)) {}
    Value(float v) : m_v(v) {}
    Value(double v) : m_v(v) {}
    Value(tabulex::Decimal v) : m_v(std::move(v)) {}
    Value(QString v) : m_v(std::move(v)) {}
    Value(const char* utf8) : m_v(QString::fromUtf8(utf8)) {}
    Value(QByteArray v) : m_v(std::move(v)) {}
    Value(tabulex::Date v) : m_v(v) {}
    Value(tabulex::Time v) : m_v(v) {}
    Value(tabulex::Timestamp v) : m_v(v) {}

    static Value null() { return {}; }

    Kind kind() const { return static_cast<Kind>(m_v.index()); }
    bool isNull() const { return kind() == Kind::Null; }

    bool toBool() const { return std::get<bool>(m_v); }
    std::int64_t toInt() const { return std::get<std::int64_t>(m_v); }
    std::uint64_t toUInt() const { return std::get<std::uint64_t>(m_v); }
    float toSingle() const { return std::get<float>(m_v); }
    double toDouble() const { return std::get<double>(m_v); }
    const tabulex::Decimal& toDecimal() const { return std::get<tabulex::Decimal>(m_v); }
    const QString& toString() const { return std::get<QString>(m_v); }
    const QByteArray& toBytes() const { return std::get<QByteArray>(m_v); }
    const tabulex::Date& toDate() const { return std::get<tabulex::Date>(m_v); }
    const tabulex::Time& toTime() const { return std::get<tabulex::Time>(m_v); }
    const tabulex::Timestamp& toTimestamp() const { return std::get<tabulex::Timestamp>(m_v); }

    // The default text conversion: True/False, decimal integers, shortest round-trip
    // floating text with ".", ISO dates and times, text as is, bytes as hex digits.
    // Null gives the empty text.
    QString toText() const;
    // Appends the default text conversion to out, without a text of its own.
    void appendText(QString& out) const;

    friend bool operator==(const Value&, const Value&) = default;

private:
    std::variant<std::monostate, bool, std::int64_t, std::uint64_t, float, double, tabulex::Decimal,
                 QString, QByteArray, tabulex::Date, tabulex::Time, tabulex::Timestamp>
        m_v;
};

void appendDate(QString& out, const Date& d);
void appendTime(QString& out, const Time& t);
QString formatDate(const Date& d);
QString formatTime(const Time& t);
QString formatTimestamp(const Timestamp& ts);
QString formatDouble(double v);

// Reads "YYYY-MM-DD" (a leading "-" allowed for the year) at the start of text; the number
// of characters read, or 0 when there is no date there.
int parseDate(QStringView text, Date& date);
// Reads "HH:MM[:SS[.fffffffff]]" at the start of text; the characters read, or 0.
int parseTime(QStringView text, Time& time);
QString formatSingle(float v);

} // namespace tabulex
