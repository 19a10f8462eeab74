#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace paradox {

// A calendar date (proleptic Gregorian).
struct Date {
    int year = 1;
    int month = 1;
    int day = 1;
    friend bool operator==(const Date&, const Date&) = default;
};

// A time of day with milliseconds, the resolution of Paradox times and timestamps.
struct Time {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    friend bool operator==(const Time&, const Time&) = default;
};

struct Timestamp {
    Date date;
    Time time;
    friend bool operator==(const Timestamp&, const Timestamp&) = default;
};

// An exact decimal number as text: optional "-", digits, "." and the scale's digits.
struct Decimal {
    std::string text;
    friend bool operator==(const Decimal&, const Decimal&) = default;
};

// Raw bytes (Bytes fields and binary BLObs).
struct Bytes {
    std::string data;
    friend bool operator==(const Bytes&, const Bytes&) = default;
};

// One field value of a record: Null or a value of the field's kind. Text is UTF-8.
class Value {
public:
    enum class Kind { Null, Bool, Int, Double, Decimal, Text, Bytes, Date, Time, Timestamp };

    Value() = default;
    Value(bool v) : m_v(v) {}
    Value(int v) : m_v(std::int64_t(v)) {}
    Value(std::int64_t v) : m_v(v) {}
    Value(double v) : m_v(v) {}
    Value(paradox::Decimal v) : m_v(std::move(v)) {}
    Value(std::string utf8) : m_v(std::move(utf8)) {}
    Value(const char* utf8) : m_v(std::string(utf8)) {}
    Value(paradox::Bytes v) : m_v(std::move(v)) {}
    Value(paradox::Date v) : m_v(v) {}
    Value(paradox::Time v) : m_v(v) {}
    Value(paradox::Timestamp v) : m_v(v) {}

    Kind kind() const { return static_cast<Kind>(m_v.index()); }
    bool isNull() const { return kind() == Kind::Null; }

    bool toBool() const { return std::get<bool>(m_v); }
    std::int64_t toInt() const { return std::get<std::int64_t>(m_v); }
    double toDouble() const { return std::get<double>(m_v); }
    const paradox::Decimal& toDecimal() const { return std::get<paradox::Decimal>(m_v); }
    const std::string& toText() const { return std::get<std::string>(m_v); }
    const paradox::Bytes& toBytes() const { return std::get<paradox::Bytes>(m_v); }
    const paradox::Date& toDate() const { return std::get<paradox::Date>(m_v); }
    const paradox::Time& toTime() const { return std::get<paradox::Time>(m_v); }
    const paradox::Timestamp& toTimestamp() const { return std::get<paradox::Timestamp>(m_v); }

    void setNull() { m_v = std::monostate(); }
    template <typename T> void set(T v) { m_v = std::move(v); }
    // The text held, made empty, keeping its buffer when the value already held text.
    std::string& textBuffer();
    std::string& bytesBuffer();

    friend bool operator==(const Value&, const Value&) = default;

private:
    std::variant<std::monostate, bool, std::int64_t, double, paradox::Decimal, std::string,
                 paradox::Bytes, paradox::Date, paradox::Time, paradox::Timestamp>
        m_v;
};

// The kind's name for messages ("Text", "Date" ...).
const char* kindName(Value::Kind kind);

} // namespace paradox
