#include "paradox/Calendar.h"

namespace paradox::calendar {

namespace {

// Days from 1970-01-01 to the day number's origin (0000-12-31 is day 0).
constexpr std::int64_t kUnixOffset = 719'163;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return (a - (a % b + b) % b) / b;
}

} // namespace

// The civil-calendar conversions follow Howard Hinnant's public-domain algorithms.
std::int64_t dayNumber(const Date& date) {
    const std::int64_t y = std::int64_t(date.year) - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t mp = (date.month + 9) % 12;
    const std::int64_t doy = (153 * mp + 2) / 5 + date.day - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146'097 + doe - 719'468 + kUnixOffset;
}

Date dateOfDay(std::int64_t dayNumber) {
    const std::int64_t z = dayNumber - kUnixOffset + 719'468;
    const std::int64_t era = floorDiv(z, 146'097);
    const std::int64_t doe = z - era * 146'097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int day = int(doy - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    return Date{int(yoe + era * 400 + (month <= 2 ? 1 : 0)), month, day};
}

bool isValid(const Date& date) {
    if (date.month < 1 || date.month > 12 || date.day < 1)
        return false;
    static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (date.year % 4 == 0 && date.year % 100 != 0) || date.year % 400 == 0;
    const int length = date.month == 2 && leap ? 29 : lengths[date.month - 1];
    return date.day <= length;
}

std::int64_t millisOfDay(const Time& time) {
    return ((std::int64_t(time.hour) * 60 + time.minute) * 60 + time.second) * 1000 +
           time.millisecond;
}

Time timeOfMillis(std::int64_t millis) {
    Time t;
    t.millisecond = int(millis % 1000);
    millis /= 1000;
    t.second = int(millis % 60);
    millis /= 60;
    t.minute = int(millis % 60);
    t.hour = int(millis / 60);
    return t;
}

bool isValid(const Time& time) {
    return time.hour >= 0 && time.hour < 24 && time.minute >= 0 && time.minute < 60 &&
           time.second >= 0 && time.second < 60 && time.millisecond >= 0 && time.millisecond < 1000;
}

} // namespace paradox::calendar
