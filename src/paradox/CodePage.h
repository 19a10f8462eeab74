#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <iconv.h>

namespace paradox {

// A Paradox language driver: the sort-order byte of the header (0x29), its name in the
// header's variable part, and the code page of its text.
struct LanguageDriver {
    std::uint8_t sortOrder;
    const char* name;
    int codePage;
};

// The driver the writer records for a Windows code page, or nullptr when it knows none.
const LanguageDriver* driverForCodePage(int codePage);

// The iconv name of a table's text encoding: the header's code page when iconv knows it,
// else the one its language driver implies (name first, then sort byte), else CP437 for
// DOS-era tables (before 4.0) and CP1252 for the others. Empty when nothing fits.
std::string textEncodingOf(int codePage, std::string_view driverName, std::uint8_t sortOrder,
                           bool dosEra);

// True when iconv can convert between the encoding and UTF-8.
bool isKnownEncoding(const std::string& iconvName);

// An open iconv descriptor, closed by the destructor.
class Iconv {
public:
    Iconv(const std::string& to, const std::string& from);
    ~Iconv();
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }
    void reset() const;

private:
    iconv_t m_cd;
};

// Converts a table's text to UTF-8. Bytes that the code page leaves undefined become the
// code point of the same number (as Windows does for the gaps of code page 1252), so that
// no text is lost or refused.
class TextDecoder {
public:
    explicit TextDecoder(const std::string& encoding);
    bool valid() const { return m_iconv.valid(); }
    void decode(const unsigned char* p, std::size_t n, std::string& out) const;

private:
    Iconv m_iconv;
};

// Converts UTF-8 text to a table's code page.
class TextEncoder {
public:
    explicit TextEncoder(const std::string& encoding);
    bool valid() const { return m_iconv.valid(); }
    // False when a character has no byte in the code page (or the text is not UTF-8); then
    // `bad` holds that character (or U+FFFD).
    bool encode(std::string_view utf8, std::string& out, char32_t& bad) const;

private:
    Iconv m_iconv;
};

// "U+0416 'Ж'" for messages.
std::string describeCharacter(char32_t c);

} // namespace paradox
