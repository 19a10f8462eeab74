#pragma once

#include <QString>

#include <optional>

namespace tabulex {

// A decimal number text as sign, significant digits and a power of ten:
// value = digits * 10^exponent; digits has no leading or trailing zeros, empty for zero.
struct DecimalParts {
    bool negative = false;
    QString digits;
    int exponent = 0;
    friend bool operator==(const DecimalParts&, const DecimalParts&) = default;
};

// Reads "12", "-0.50", "1e3", " +7 "; nullopt for anything else.
std::optional<DecimalParts> parseDecimal(const QString& text);

// True when both texts are decimal numbers of the same value ("1.50" and "1.5").
bool sameDecimalValue(const QString& a, const QString& b);

// The double a decimal text stands for, when a double holds that value exactly as the
// shortest text that reads back to it; nullopt when it does not or the text is no number.
std::optional<double> exactDouble(const QString& text);

} // namespace tabulex
