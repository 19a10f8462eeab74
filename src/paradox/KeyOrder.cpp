#include "paradox/KeyOrder.h"

#include "paradox/CodePage.h"
#include "paradox/Error.h"

namespace paradox {

namespace {

// 'ascii' ANSI: text in code page 1252 ordered by its bytes.
constexpr LanguageDriver kByteOrderAnsi{0x4C, "DBWINUS0", 1252};

} // namespace

void checkKeyFields(const std::string& table, const std::vector<Field>& fields, int keyFields)
{
    if (keyFields < 0 || keyFields > int(fields.size()))
        throw Error(table, "a key of " + std::to_string(keyFields) + " fields in a table of " +
                               std::to_string(fields.size()));
    if (keyFields > kMaxKeyFields)
        throw Error(table, "a Paradox key has at most 16 fields, not " + std::to_string(keyFields));
    for (int i = 0; i < keyFields; ++i)
        if (isBlobType(fields[std::size_t(i)].type))
            throw Error(table, "column " + fields[std::size_t(i)].name + ": a field of type " +
                                   fieldTypeName(fields[std::size_t(i)].type) +
                                   " cannot be part of a key");
}

int keyWidthOf(const std::vector<Field>& fields, int keyFields)
{
    int width = 0;
    for (int i = 0; i < keyFields; ++i)
        width += fields[std::size_t(i)].width;
    return width;
}

const LanguageDriver* writerDriverFor(const std::string& table, int codePage,
                                      const std::vector<Field>& fields, int keyFields)
{
    bool alphaKey = false;
    for (int i = 0; i < keyFields; ++i)
        alphaKey = alphaKey || fields[std::size_t(i)].type == FieldType::Alpha;
    if (!alphaKey)
        return driverForCodePage(codePage);
    if (codePage != kByteOrderAnsi.codePage)
        throw Error(table, "a key with an Alpha field is written in code page 1252 only, not " +
                               std::to_string(codePage));
    return &kByteOrderAnsi;
}

} // namespace paradox
