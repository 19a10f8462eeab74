#include "paradox/ValidityFile.h"

#include "paradox/ByteOrder.h"
#include "paradox/ByteSource.h"
#include "paradox/CodePage.h"
#include "paradox/TableFiles.h"

#include <algorithm>

namespace paradox {

using bytes::le16;
using bytes::le32;

namespace {

constexpr std::size_t kChangeCountAt = 0x00;
constexpr std::size_t kVersionAt = 0x01;
constexpr std::size_t kCheckCountAt = 0x02;
constexpr std::size_t kFooterAt = 0x09;
constexpr std::size_t kIntegrityAt = 0x0D;
constexpr std::size_t kFirstCheck = 0x35;
constexpr std::size_t kCheckFixedSize = 0x1C;
constexpr int kFirstVersion = 0x09;
constexpr int kLastVersion = 0x0C;
constexpr std::size_t kTableNameLength = 0x4F;
constexpr std::size_t kMaxFile = std::size_t(1) << 20;

// In one check: the field (from 0), the picture's length, the required flag, the lookup's
// attributes and four hints (lookup table, minimum, maximum, default, picture).
constexpr std::size_t kFieldOf = 0x00;
constexpr std::size_t kPictureLength = 0x01;
constexpr std::size_t kRequiredFlag = 0x02;
constexpr std::size_t kLookupHint = 0x04;
constexpr std::size_t kMinimumHint = 0x0C;

// True when the footer lists exactly the table's fields: numbers 1..n, the same types and
// sizes, the same names.
bool footerMatches(const std::vector<unsigned char>& v, const TableHeader& t)
{
    const std::size_t at = le32(&v[kFooterAt]);
    const std::size_t n = t.fields.size();
    const std::size_t names = at + 6 + 4 * n + kTableNameLength;
    if (at < kFirstCheck || names > v.size() || le16(&v[at]) != n)
        return false;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char* type = &v[at + 6 + 2 * n + 2 * i];
        if (le16(&v[at + 6 + 2 * i]) != i + 1 || type[0] != std::uint8_t(t.fields[i].type) ||
            type[1] != std::uint8_t(t.fields[i].size))
            return false;
    }
    const TextDecoder decoder(t.encoding);
    std::size_t pos = names;
    for (const Field& f : t.fields) {
        const auto nul = std::find(v.begin() + std::ptrdiff_t(pos), v.end(), 0);
        if (nul == v.end())
            return false;
        std::string name;
        decoder.decode(&v[pos], std::size_t(nul - v.begin()) - pos, name);
        if (!sameNameIgnoringCase(name, f.name))
            return false;
        pos = std::size_t(nul - v.begin()) + 1;
    }
    return true;
}

} // namespace

std::vector<bool> readRequiredFields(ByteSource& val, const TableHeader& t,
                                     std::uint8_t changeCount2)
{
    std::vector<bool> required(t.fields.size(), false);
    if (val.size() < kFirstCheck || val.size() > kMaxFile)
        return required;
    std::vector<unsigned char> v(std::size_t(val.size()));
    if (val.readAt(0, v.data(), v.size()) != v.size())
        return required;
    // Where the file also holds referential integrity, the flag's byte may mean otherwise.
    if (v[kVersionAt] < kFirstVersion || v[kVersionAt] > kLastVersion ||
        v[kChangeCountAt] != changeCount2 || le32(&v[kIntegrityAt]) != 0 || !footerMatches(v, t))
        return required;
    std::vector<bool> found(t.fields.size(), false);
    std::size_t at = kFirstCheck;
    for (int check = 0; check < v[kCheckCountAt]; ++check) {
        if (at + kCheckFixedSize > v.size())
            break;
        const unsigned char* c = &v[at];
        const std::size_t field = c[kFieldOf];
        // A lookup's length is not known for sure: the checks after one stay unread.
        if (field >= t.fields.size() || found[field] || le32(c + kLookupHint) != 0)
            break;
        found[field] = true;
        if (c[kRequiredFlag] == 1)
            required[field] = true;
        std::size_t next = at + kCheckFixedSize;
        for (int hint = 0; hint < 3; ++hint)
            if (le32(c + kMinimumHint + 4 * std::size_t(hint)) != 0)
                next += std::size_t(t.fields[field].width);
        if (le32(c + kMinimumHint + 12) != 0)
            next += c[kPictureLength];
        at = next;
    }
    return required;
}

} // namespace paradox
