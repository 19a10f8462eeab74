#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <iconv.h>

namespace paradox {

// A Paradox language driver: the sort-order byte of the header (0x29), its name in the
// header's variable part, and the code page of its text.
struct LanguageDriver {
    std::uint8_t sortOrder;
    const char* name;
    int codePage;
};

// The driver the writer records for a code page, or nullptr when it knows none.
const LanguageDriver* driverForCodePage(int codePage);

// The code pages of the Paradox language drivers, Windows ones first (1252 first), for a
// reader or writer to choose from.
const std::vector<int>& paradoxCodePages();

// True when a table can be written in the code page (the writer knows a driver for it and
// iconv the code page).
bool isWritableCodePage(int codePage);

// The iconv name of a code page: "CP<n>" (0: HP-ROMAN8, as the SQL Link ROMAN8 driver has it).
std::string encodingForCodePage(int codePage);

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

class CodePageChoice;

// "U+0416 'Ж'" for messages.
std::string describeCharacter(char32_t c);

// The code page a table is written in, chosen while its rows arrive. Automatic: the
// candidates are the Windows code pages a table may be written in, 1252 first; each row
// narrows them to those that hold its characters. A row that none of the candidates holds
// decides: the first candidate left, which holds every row before it, is the code page, and
// from then on a row that it cannot hold does not fit. A row that no code page holds at all
// does not fit and leaves the candidates as they were. Fixed: one code page from the start.
class CodePageChoice {
public:
    CodePageChoice();
    explicit CodePageChoice(int codePage);
    ~CodePageChoice();
    CodePageChoice(CodePageChoice&&) noexcept;
    CodePageChoice& operator=(CodePageChoice&&) noexcept;

    enum class Fit {
        Fits,      // the row's characters are held; the candidates may have narrowed
        NotHeld,   // the code page chosen cannot hold `missing`
        NoneHolds, // no one code page holds the row (`missing`: the characters none holds)
    };
    struct Verdict {
        Fit fit = Fit::Fits;
        std::vector<char32_t> missing;
    };
    // Takes the characters beyond ASCII of one row, each once.
    Verdict admit(const std::vector<char32_t>& characters);

    // The code page the table is written in: the chosen one, or the first candidate left.
    int codePage() const;
    // True once a row decided it, or when it was fixed.
    bool decided() const { return m_decided; }
    bool fixed() const { return m_fixed; }

private:
    std::uint32_t heldBy(char32_t c);

    std::vector<int> m_pages;
    std::vector<std::unique_ptr<TextEncoder>> m_encoders;
    std::map<char32_t, std::uint32_t> m_held; // per character: a bit per page that holds it
    std::uint32_t m_candidates = 0;
    bool m_decided = false;
    bool m_fixed = false;
};

} // namespace paradox
