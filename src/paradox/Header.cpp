#include "paradox/Header.h"

#include "paradox/ByteOrder.h"
#include "paradox/ByteSource.h"
#include "paradox/CodePage.h"
#include "paradox/Error.h"
#include "paradox/Layout.h"

#include <algorithm>

namespace paradox {

using bytes::le16;
using bytes::le32;
using namespace layout;

namespace {

struct Reader {
    const std::vector<unsigned char>& h;
    const std::string& table;

    void need(std::size_t end, const char* what) const
    {
        if (end > h.size())
            throw Error(table, std::string("the end of the header cuts off ") + what);
    }
    // A NUL-terminated string starting at pos; pos moves past the NUL.
    std::string cString(std::size_t& pos, const char* what) const
    {
        const auto begin = h.begin() + std::ptrdiff_t(std::min(pos, h.size()));
        const auto nul = std::find(begin, h.end(), 0);
        if (nul == h.end())
            throw Error(table, std::string("the end of the header cuts off ") + what);
        std::string s(begin, nul);
        pos = std::size_t(nul - h.begin()) + 1;
        return s;
    }
};

bool validBlockSizeCode(int code)
{
    return code == 1 || code == 2 || code == 3 || code == 4 || code == 8 || code == 16 ||
           code == 32;
}

void checkFileType(int type, const std::string& table)
{
    switch (type) {
    case kKeyedTable:
    case kUnkeyedTable:
    case 3:
    case 5:
    case 6:
    case 8: // secondary index tables share the table layout
        return;
    case 1:
    case 4:
    case 7:
        throw Error(table, "this is an index file, not a table");
    default:
        throw Error(table, "unknown file type " + std::to_string(type) + " in the header");
    }
}

std::vector<unsigned char> readHeaderBytes(ByteSource& source, const std::string& table)
{
    if (source.size() < kFixedHeaderSize)
        throw Error(table, "the file is too short to be a Paradox table (" +
                               std::to_string(source.size()) + " bytes)");
    unsigned char fixed[kFixedHeaderSize];
    source.readExact(0, fixed, sizeof fixed, table, "the header");
    const std::size_t headerSize = le16(fixed + kHeaderSizeAt);
    if (headerSize < kFixedHeaderSize)
        throw Error(table, "the header size " + std::to_string(headerSize) + " is too small");
    if (headerSize > source.size())
        throw Error(table, "the file is truncated: it ends inside its " +
                               std::to_string(headerSize) + "-byte header");
    std::vector<unsigned char> h(headerSize);
    source.readExact(0, h.data(), h.size(), table, "the header");
    return h;
}

void readFields(const Reader& r, TableHeader& t, int count, std::size_t at)
{
    r.need(at + 2 * std::size_t(count), "the field descriptors");
    int offset = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t code = r.h[at + 2 * i];
        const int size = r.h[at + 2 * i + 1];
        const auto type = fieldTypeFromCode(code);
        if (!type)
            throw Error(r.table, "field " + std::to_string(i + 1) + " has the unknown type code " +
                                     std::to_string(code));
        const auto width = recordWidth(*type, size);
        if (!width)
            throw Error(r.table, "field " + std::to_string(i + 1) + " (" + fieldTypeName(*type) +
                                     ") has the invalid size " + std::to_string(size));
        t.fields.push_back(Field{{}, *type, size, *width, offset});
        offset += *width;
    }
    if (offset != t.recordSize)
        throw Error(r.table, "the fields take " + std::to_string(offset) +
                                 " bytes but the header gives a record size of " +
                                 std::to_string(t.recordSize));
    if (t.recordSize > t.blockSize - kBlockHeaderSize)
        throw Error(r.table, "a record of " + std::to_string(t.recordSize) +
                                 " bytes does not fit its blocks of " +
                                 std::to_string(t.blockSize) + " bytes");
}

// The language driver's name, when the header records one where it should be.
std::string sortOrderName(const Reader& r)
{
    std::size_t pos = std::size_t(le16(r.h.data() + kSortOrderOffsetAt)) + kFixedHeaderSize;
    if (pos >= r.h.size())
        return {};
    const auto end = std::find(r.h.begin() + std::ptrdiff_t(pos), r.h.end(), 0);
    std::string name(r.h.begin() + std::ptrdiff_t(pos), end);
    if (end == r.h.end() || name.size() > 31)
        return {};
    for (char c : name)
        if (c < 0x20 || c > 0x7E)
            return {};
    return name;
}

void readNames(const Reader& r, TableHeader& t, std::size_t pos)
{
    std::vector<std::string> raw;
    for (std::size_t i = 0; i < t.fields.size(); ++i)
        raw.push_back(r.cString(pos, "the field names"));
    const TextDecoder decoder(t.encoding);
    for (std::size_t i = 0; i < raw.size(); ++i)
        decoder.decode(reinterpret_cast<const unsigned char*>(raw[i].data()), raw[i].size(),
                       t.fields[i].name);
}

} // namespace

std::string TableHeader::versionText() const
{
    if (versionId <= 3)
        return "3.0";
    if (versionId == 4)
        return "3.5";
    if (versionId <= 9)
        return "4.x";
    if (versionId <= 11)
        return "5.x";
    return "7.x";
}

TableHeader readHeader(ByteSource& source, const std::string& table, const std::string& encoding)
{
    const std::vector<unsigned char> h = readHeaderBytes(source, table);
    const Reader r{h, table};
    const unsigned char* p = h.data();
    TableHeader t;
    t.recordSize = le16(p + kRecordSizeAt);
    t.headerSize = int(h.size());
    t.fileType = p[kFileTypeAt];
    checkFileType(t.fileType, table);
    if (!validBlockSizeCode(p[kBlockSizeAt]))
        throw Error(table, "invalid block size code " + std::to_string(p[kBlockSizeAt]));
    t.blockSize = p[kBlockSizeAt] * 1024;
    t.versionId = p[kVersionAt];
    if (t.versionId < 3 || t.versionId > 12)
        throw Error(table, "unknown file version " + std::to_string(t.versionId));
    if (t.recordSize == 0)
        throw Error(table, "the record size is 0");
    t.recordCount = le32(p + kRecordCountAt);
    t.fileBlocks = le16(p + kFileBlocksAt);
    t.firstBlock = le16(p + kFirstBlockAt);
    t.lastBlock = le16(p + kLastBlockAt);
    t.keyFields = std::int16_t(le16(p + kKeyFieldsAt));
    t.sortOrder = p[kSortOrderAt];
    t.autoIncrement = le32(p + kAutoIncrementAt);
    const int fieldCount = std::int16_t(le16(p + kFieldCountAt));
    if (fieldCount < 1 || fieldCount > kMaxFields)
        throw Error(table, "invalid field count " + std::to_string(fieldCount));

    const bool dataHeader = t.versionId >= kFirstDataHeaderVersion;
    // The checksum is at 0x25, or at 0x5C when 0x25 holds the marker of 4.x and later.
    t.passwordChecksum = le32(p + kEncryption1At);
    if (dataHeader) {
        r.need(kDataHeaderEnd, "the data header");
        t.codePage = le16(p + kCodePageAt);
        t.sortOrderName = sortOrderName(r);
        if (t.passwordChecksum == kChecksumInDataHeader)
            t.passwordChecksum = le32(p + kEncryption2At);
    }
    t.encrypted = t.passwordChecksum != 0;
    t.encoding = !encoding.empty()
                     ? encoding
                     : textEncodingOf(t.codePage, t.sortOrderName, t.sortOrder, !dataHeader);
    if (!isKnownEncoding(t.encoding))
        throw Error(table, "the text encoding " + t.encoding + " is not available");

    const std::size_t descriptors = dataHeader ? kDataHeaderEnd : kFixedHeaderSize;
    readFields(r, t, fieldCount, descriptors);
    const std::size_t names = descriptors + 2 * std::size_t(fieldCount) + kPointerSize +
                              kPointerSize * std::size_t(fieldCount) + tableNameLength(t.versionId);
    readNames(r, t, names);
    return t;
}

} // namespace paradox
