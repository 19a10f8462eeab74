#include "paradox/Bcd.h"

#include <cstdint>
#include <cstring>

namespace paradox::bcd {

namespace {

constexpr unsigned char kPositive = 0x80;
constexpr unsigned char kNotNull = 0x40;
constexpr unsigned char kScaleMask = 0x3F;

int nibble(const unsigned char* digits, int i) {
    const unsigned char b = digits[i / 2];
    return i % 2 == 0 ? b >> 4 : b & 0x0F;
}

} // namespace

bool decode(const unsigned char* p, std::string& out) {
    const int scale = p[0] & kScaleMask;
    if (scale > kDigits)
        return false;
    const bool negative = !(p[0] & kPositive);
    char digits[kDigits];
    bool noise = false;
    for (int i = 0; i < kDigits; ++i) {
        int d = nibble(p + 1, i);
        if (negative)
            d = 15 - d;
        noise = noise || d > 9;
        digits[i] = noise ? '0' : char('0' + d);
    }
    const int intDigits = kDigits - scale;
    int first = 0;
    while (first < intDigits - 1 && digits[first] == '0')
        ++first;
    out.clear();
    bool zero = true;
    for (char c : digits)
        zero = zero && c == '0';
    if (negative && !zero)
        out.push_back('-');
    if (intDigits == 0)
        out.push_back('0');
    else
        out.append(digits + first, digits + intDigits);
    if (scale > 0) {
        out.push_back('.');
        out.append(digits + intDigits, digits + kDigits);
    }
    return true;
}

std::string encode(std::string_view text, int scale, unsigned char* p) {
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    const auto point = text.find('.');
    std::string_view whole = text.substr(0, point);
    std::string_view fraction =
        point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    auto allDigits = [](std::string_view s) {
        for (char c : s)
            if (c < '0' || c > '9')
                return false;
        return true;
    };
    if ((whole.empty() && fraction.empty()) || !allDigits(whole) || !allDigits(fraction))
        return "not a decimal number";
    while (whole.size() > 1 && whole[0] == '0')
        whole.remove_prefix(1);
    while (fraction.size() > std::size_t(scale) && fraction.back() == '0')
        fraction.remove_suffix(1);
    if (fraction.size() > std::size_t(scale))
        return "it has more decimals than the field's " + std::to_string(scale);
    if (whole.size() > std::size_t(kDigits - scale) && !(whole == "0" && scale == kDigits))
        return "it has more digits than the field can hold";

    char digits[kDigits];
    std::memset(digits, 0, sizeof digits);
    const int intDigits = kDigits - scale;
    if (intDigits > 0)
        for (std::size_t i = 0; i < whole.size(); ++i)
            digits[intDigits - whole.size() + i] = char(whole[i] - '0');
    for (std::size_t i = 0; i < fraction.size(); ++i)
        digits[intDigits + i] = char(fraction[i] - '0');
    bool zero = true;
    for (char d : digits)
        zero = zero && d == 0;
    negative = negative && !zero;

    p[0] = std::uint8_t((negative ? 0 : kPositive) | kNotNull | scale);
    for (int i = 0; i < kDigits / 2; ++i) {
        const int b = digits[2 * i] << 4 | digits[2 * i + 1];
        p[1 + i] = std::uint8_t(negative ? b ^ 0xFF : b);
    }
    return {};
}

} // namespace paradox::bcd
