#pragma once

#include <string>
#include <string_view>

// BCD field values: 17 bytes, a sign-and-scale byte and 32 packed decimal digits of which the
// last `scale` are the fraction; negative values store every digit as 15 - digit.
namespace paradox::bcd {

constexpr int kDigits = 32;

// Decodes a non-NULL value into text with exactly `scale` fraction digits ("-12.30").
// Digits from the first invalid nibble on read as 0 (Paradox leaves such noise past the
// precision of a double). Returns false when the value's own scale byte is not valid.
bool decode(const unsigned char* p, std::string& out);

// Encodes decimal text ("-12.3", "7", "0.50") with the field's scale. Returns an empty text
// on success, otherwise why it cannot be stored.
std::string encode(std::string_view text, int scale, unsigned char* p);

} // namespace paradox::bcd
