#include "staging/ParadoxFields.h"

#include "core/DataError.h"

#include "paradox/BlockSize.h"
#include "paradox/Error.h"

#include <algorithm>

namespace tabulex::staging {

namespace {

using paradox::FieldDefinition;
using paradox::FieldType;

constexpr int kMaxAlpha = 255;

FieldDefinition fieldSpec(const StagingField& c)
{
    FieldDefinition s;
    s.name = c.name.toStdString();
    switch (c.type.type) {
    case JetType::Text:
        s.type = FieldType::Alpha;
        s.size = c.type.size;
        break;
    case JetType::Guid:
        s.type = FieldType::Alpha;
        s.size = 38;
        break;
    case JetType::Memo:
        s.type = FieldType::Memo;
        s.size = 11;
        break;
    case JetType::Byte:
    case JetType::Short:
        s.type = FieldType::Short;
        break;
    case JetType::Long:
    case JetType::Counter:
        s.type = FieldType::Long;
        break;
    case JetType::Single:
    case JetType::Double:
    case JetType::Decimal:
        s.type = FieldType::Number;
        break;
    case JetType::Currency:
        s.type = FieldType::Money;
        break;
    case JetType::Bit:
        s.type = FieldType::Logical;
        break;
    case JetType::DateTime:
        s.type = FieldType::Timestamp;
        break;
    case JetType::Binary:
        s.type = FieldType::Bytes;
        s.size = c.type.size;
        break;
    case JetType::LongBinary:
        s.type = FieldType::Blob;
        s.size = 10;
        break;
    }
    return s;
}

std::vector<FieldDefinition> plainFields(const std::vector<StagingField>& columns)
{
    std::vector<FieldDefinition> fields;
    for (const StagingField& c : columns)
        fields.push_back(
            c.type.paradoxType
                ? FieldDefinition{c.name.toStdString(), *c.type.paradoxType, c.type.paradoxSize}
                : fieldSpec(c));
    return fields;
}

bool fits(const std::vector<FieldDefinition>& fields, qint64 rows)
{
    int recordSize = 0;
    for (const FieldDefinition& f : fields)
        recordSize += paradox::recordWidthOf(f).value_or(0);
    return paradox::blockSizeFor(recordSize, std::uint64_t(rows)).has_value();
}

// The most bytes the longest text takes in the code page: one a character, except where a
// character beyond ASCII may take two (the double-byte pages, and 1258, which writes some
// Vietnamese letters as a letter and a combining mark).
int longestBytes(const TextExtent& e, int codePage)
{
    switch (codePage) {
    case 932:
    case 936:
    case 949:
    case 950:
    case 1258:
        return e.wideBytes;
    default:
        return e.characters;
    }
}

std::vector<FieldDefinition> withShortMemosAsAlpha(std::vector<FieldDefinition> fields,
                                                   const StagingTable& t, int codePage)
{
    for (size_t i = 0; i < fields.size(); ++i) {
        const TextExtent& e = t.longest[i];
        const int bytes = longestBytes(e, codePage);
        if (t.columns[i].type.alphaWhenValuesFit && !e.hasNul && bytes <= kMaxAlpha)
            fields[i] = {fields[i].name, FieldType::Alpha, std::max(bytes, 1)};
    }
    return fields;
}

void shortenAlphas(std::vector<FieldDefinition>& fields, const StagingTable& t, int codePage)
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].type == FieldType::Alpha && t.columns[i].type.type == JetType::Text &&
            !t.columns[i].type.paradoxType)
            fields[i].size = std::clamp(longestBytes(t.longest[i], codePage), 1, fields[i].size);
}

} // namespace

std::vector<FieldDefinition> paradoxFields(const StagingTable& t, int codePage)
{
    std::vector<FieldDefinition> fields = plainFields(t.columns);
    std::vector<FieldDefinition> shaped = withShortMemosAsAlpha(fields, t, codePage);
    if (fits(shaped, t.rowCount))
        return shaped;
    if (!fits(fields, t.rowCount))
        shortenAlphas(fields, t, codePage);
    return fields;
}

void requireParadoxCapacity(const QString& paradoxName, const std::vector<StagingField>& fields,
                            qint64 rows)
{
    if (rows < 0 || fields.empty())
        return;
    std::vector<FieldDefinition> narrowest = plainFields(fields);
    for (size_t i = 0; i < fields.size(); ++i)
        if ((fields[i].type.type == JetType::Text && !fields[i].type.paradoxType) ||
            fields[i].type.alphaWhenValuesFit)
            narrowest[i] = {narrowest[i].name, FieldType::Alpha, 1};
    try {
        paradox::requireBlockSize((paradoxName + QStringLiteral(".db")).toStdString(), narrowest,
                                  std::uint64_t(rows));
    } catch (const paradox::Error& e) {
        throw DataError(QString::fromStdString(e.what()));
    }
}

} // namespace tabulex::staging
