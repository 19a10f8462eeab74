#include "paradox/CodePage.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace paradox {

namespace {

// Drivers whose code page two sources agree on, plus the ones the writer needs.
constexpr LanguageDriver kDrivers[] = {
    {0x00, "ascii", 437},     {0xB7, "intl", 437},      {0x54, "intl850", 850},
    {0x82, "nordan", 865},    {0xE6, "nordan40", 865},  {0xF0, "swedfin", 437},
    {0x62, "ANSIINTL", 1252}, {0x11, "ANSII850", 1252}, {0x5D, "ANSISPAN", 1252},
    {0x69, "ANSISWFN", 1252}, {0x4C, "DBWINUS0", 1252}, {0x40, "DBWINWE0", 1252},
    {0xC0, "cyrr", 866},      {0x8F, "ancyrr", 1251},   {0xDC, "anczech", 1250},
    {0x0D, "czech", 852},     {0xC6, "turk", 857},      {0x14, "BLROM800", 0},
    {0x03, "china", 936},     {0x0E, "angreek1", 1253}, {0xD5, "ANTURK", 1254},
    {0x4C, "ANHEBREW", 1255},
};

// What the writer records for each code page it supports.
constexpr struct {
    int codePage;
    const char* driver;
} kWriterDrivers[] = {
    {1250, "anczech"},  {1251, "ancyrr"},  {1252, "ANSIINTL"}, {1253, "angreek1"}, {1254, "ANTURK"},
    {1255, "ANHEBREW"}, {936, "china"},    {437, "intl"},      {850, "intl850"},   {852, "czech"},
    {857, "turk"},      {865, "nordan40"}, {866, "cyrr"},
};

// The Windows code pages an automatic choice may take, in the order they are tried.
constexpr int kAutomaticPages[] = {1252, 1250, 1251, 1253, 1254, 1255, 1256,
                                   1257, 1258, 874,  932,  936,  949,  950};

bool equalNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// Decodes one UTF-8 sequence at p (n bytes left); U+FFFD when it is not valid.
char32_t codePointAt(const unsigned char* p, std::size_t n)
{
    if (n == 0)
        return 0xFFFD;
    const unsigned char b = p[0];
    const int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len == 0 || std::size_t(len) > n)
        return 0xFFFD;
    char32_t c = len == 1 ? b : b & (0x7F >> len);
    for (int i = 1; i < len; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0xFFFD;
        c = c << 6 | (p[i] & 0x3F);
    }
    return c;
}

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | c >> 6));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | c >> 12));
        out.push_back(char(0x80 | (c >> 6 & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | c >> 18));
        out.push_back(char(0x80 | (c >> 12 & 0x3F)));
        out.push_back(char(0x80 | (c >> 6 & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    }
}

bool isAscii(const unsigned char* p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i)
        if (p[i] >= 0x80)
            return false;
    return true;
}

} // namespace

std::string encodingForCodePage(int codePage)
{
    // Code page 0 is what the SQL Link ROMAN8 driver records.
    return codePage == 0 ? "HP-ROMAN8" : "CP" + std::to_string(codePage);
}

const std::vector<int>& paradoxCodePages()
{
    static const std::vector<int> pages = [] {
        std::vector<int> out = {1252, 1250, 1251, 1253, 1254, 1255, 936};
        for (const auto& d : kDrivers)
            if (d.codePage != 0 && std::find(out.begin(), out.end(), d.codePage) == out.end())
                out.push_back(d.codePage);
        std::sort(out.begin() + 7, out.end());
        return out;
    }();
    return pages;
}

bool isWritableCodePage(int codePage)
{
    return driverForCodePage(codePage) && TextEncoder(encodingForCodePage(codePage)).valid();
}

const LanguageDriver* driverForCodePage(int codePage)
{
    for (const auto& w : kWriterDrivers)
        if (w.codePage == codePage)
            for (const auto& d : kDrivers)
                if (equalNoCase(d.name, w.driver))
                    return &d;
    return nullptr;
}

bool isKnownEncoding(const std::string& iconvName) { return Iconv("UTF-8", iconvName).valid(); }

std::string textEncodingOf(int codePage, std::string_view driverName, std::uint8_t sortOrder,
                           bool dosEra)
{
    if (codePage != 0 && isKnownEncoding(encodingForCodePage(codePage)))
        return encodingForCodePage(codePage);
    const LanguageDriver* byName = nullptr;
    const LanguageDriver* bySort = nullptr;
    for (const auto& d : kDrivers) {
        if (!driverName.empty() && equalNoCase(d.name, driverName))
            byName = &d;
        if (d.sortOrder == sortOrder && !bySort)
            bySort = &d;
    }
    if (const LanguageDriver* d = driverName.empty() ? bySort : byName) {
        const std::string name = encodingForCodePage(d->codePage);
        if (isKnownEncoding(name))
            return name;
    }
    return dosEra ? "CP437" : "CP1252";
}

Iconv::Iconv(const std::string& to, const std::string& from)
    : m_cd(iconv_open(to.c_str(), from.c_str()))
{
}

Iconv::~Iconv()
{
    if (valid())
        iconv_close(m_cd);
}

void Iconv::reset() const { iconv(m_cd, nullptr, nullptr, nullptr, nullptr); }

TextDecoder::TextDecoder(const std::string& encoding) : m_iconv("UTF-8", encoding) {}

void TextDecoder::decode(const unsigned char* p, std::size_t n, std::string& out) const
{
    if (isAscii(p, n)) {
        out.assign(reinterpret_cast<const char*>(p), n);
        return;
    }
    out.resize(4 * n + 8);
    m_iconv.reset();
    char* in = const_cast<char*>(reinterpret_cast<const char*>(p));
    std::size_t inLeft = n;
    char* o = out.data();
    std::size_t oLeft = out.size();
    // Some code pages (1255, 1258) hold a base character back until they see whether a
    // combining mark follows; flushing writes it out.
    auto flush = [&] { iconv(m_iconv.get(), nullptr, nullptr, &o, &oLeft); };
    while (inLeft > 0) {
        if (iconv(m_iconv.get(), &in, &inLeft, &o, &oLeft) != std::size_t(-1))
            break;
        if ((errno != EILSEQ && errno != EINVAL) || inLeft == 0)
            break; // E2BIG cannot happen: four bytes per input byte suffice
        flush();
        // An undefined byte: take its own number as the character.
        std::string one;
        appendUtf8(one, static_cast<unsigned char>(*in));
        if (one.size() > oLeft)
            break;
        for (char c : one) {
            *o++ = c;
            --oLeft;
        }
        ++in;
        --inLeft;
        m_iconv.reset();
    }
    flush();
    out.resize(std::size_t(o - out.data()));
}

TextEncoder::TextEncoder(const std::string& encoding) : m_iconv(encoding, "UTF-8") {}

bool TextEncoder::encode(std::string_view utf8, std::string& out, char32_t& bad) const
{
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    if (isAscii(p, utf8.size())) {
        out.assign(utf8);
        return true;
    }
    out.resize(2 * utf8.size() + 4);
    m_iconv.reset();
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* o = out.data();
    std::size_t oLeft = out.size();
    if (iconv(m_iconv.get(), &in, &inLeft, &o, &oLeft) == std::size_t(-1) ||
        iconv(m_iconv.get(), nullptr, nullptr, &o, &oLeft) == std::size_t(-1)) {
        bad = codePointAt(reinterpret_cast<const unsigned char*>(in), inLeft);
        return false;
    }
    out.resize(std::size_t(o - out.data()));
    return true;
}

CodePageChoice::CodePageChoice()
{
    for (int cp : kAutomaticPages)
        if (isWritableCodePage(cp))
            m_pages.push_back(cp);
    m_candidates = (std::uint32_t(1) << m_pages.size()) - 1;
}

CodePageChoice::CodePageChoice(int codePage) : m_pages{codePage}, m_decided(true), m_fixed(true)
{
    m_candidates = 1;
}

CodePageChoice::~CodePageChoice() = default;
CodePageChoice::CodePageChoice(CodePageChoice&&) noexcept = default;
CodePageChoice& CodePageChoice::operator=(CodePageChoice&&) noexcept = default;

std::uint32_t CodePageChoice::heldBy(char32_t c)
{
    const auto it = m_held.find(c);
    if (it != m_held.end())
        return it->second;
    if (m_encoders.empty())
        for (int cp : m_pages)
            m_encoders.push_back(std::make_unique<TextEncoder>(encodingForCodePage(cp)));
    std::string utf8, out;
    appendUtf8(utf8, c);
    std::uint32_t mask = 0;
    char32_t bad = 0;
    for (std::size_t i = 0; i < m_pages.size(); ++i)
        if (m_encoders[i]->valid() && m_encoders[i]->encode(utf8, out, bad))
            mask |= std::uint32_t(1) << i;
    m_held.emplace(c, mask);
    return mask;
}

CodePageChoice::Verdict CodePageChoice::admit(const std::vector<char32_t>& characters)
{
    Verdict v;
    std::uint32_t row = (std::uint32_t(1) << m_pages.size()) - 1;
    for (char32_t c : characters)
        row &= heldBy(c);
    if (row & m_candidates) {
        m_candidates &= row;
        return v;
    }
    if (row == 0 && !m_decided) {
        v.fit = Fit::NoneHolds;
        for (char32_t c : characters)
            if (heldBy(c) == 0)
                v.missing.push_back(c);
        if (v.missing.empty()) // each is held somewhere, only not together
            v.missing = characters;
        return v;
    }
    // The first candidate left holds every row before this one.
    m_candidates &= ~(m_candidates - 1);
    m_decided = true;
    v.fit = Fit::NotHeld;
    for (char32_t c : characters)
        if (!(heldBy(c) & m_candidates))
            v.missing.push_back(c);
    return v;
}

int CodePageChoice::codePage() const
{
    for (std::size_t i = 0; i < m_pages.size(); ++i)
        if (m_candidates & (std::uint32_t(1) << i))
            return m_pages[i];
    return m_pages.empty() ? 1252 : m_pages.front();
}

std::string describeCharacter(char32_t c)
{
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", unsigned(c));
    std::string text = code;
    if (c >= 0x20 && c != 0xFFFD && c != 0x7F) {
        text += " '";
        appendUtf8(text, c);
        text += "'";
    }
    return text;
}

} // namespace paradox
