#pragma once

#include "paradox/Value.h"

#include <cstdint>

// Paradox day numbers count 0001-01-01 as day 1 (proleptic Gregorian); times of day are
// milliseconds since midnight.
namespace paradox::calendar {

constexpr std::int64_t kMillisPerDay = 86'400'000;

std::int64_t dayNumber(const Date& date);
Date dateOfDay(std::int64_t dayNumber);
bool isValid(const Date& date);

std::int64_t millisOfDay(const Time& time);
Time timeOfMillis(std::int64_t millis); // 0 <= millis < kMillisPerDay
bool isValid(const Time& time);

} // namespace paradox::calendar
