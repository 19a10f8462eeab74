#include "paradox/FieldType.h"

namespace paradox {

namespace {

// ADO DataTypeEnum values.
constexpr int adSmallInt = 2;
constexpr int adInteger = 3;
constexpr int adDouble = 5;
constexpr int adBoolean = 11;
constexpr int adBinary = 128;
constexpr int adDBDate = 133;
constexpr int adDBTime = 134;
constexpr int adDBTimeStamp = 135;
constexpr int adVarChar = 200;
constexpr int adLongVarChar = 201;
constexpr int adLongVarBinary = 205;

} // namespace

std::optional<FieldType> fieldTypeFromCode(std::uint8_t code) {
    switch (code) {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
    case 0x09:
    case 0x0C:
    case 0x0D:
    case 0x0E:
    case 0x0F:
    case 0x10:
    case 0x14:
    case 0x15:
    case 0x16:
    case 0x17:
    case 0x18:
        return FieldType(code);
    default:
        return std::nullopt;
    }
}

const char* fieldTypeName(FieldType type) {
    switch (type) {
    case FieldType::Alpha:
        return "Alpha";
    case FieldType::Date:
        return "Date";
    case FieldType::Short:
        return "Short";
    case FieldType::Long:
        return "Long Integer";
    case FieldType::Money:
        return "Money";
    case FieldType::Number:
        return "Number";
    case FieldType::Logical:
        return "Logical";
    case FieldType::Memo:
        return "Memo";
    case FieldType::Blob:
        return "Binary BLOb";
    case FieldType::FormattedMemo:
        return "Formatted memo";
    case FieldType::Ole:
        return "OLE";
    case FieldType::Graphic:
        return "Graphic";
    case FieldType::Time:
        return "Time";
    case FieldType::Timestamp:
        return "Timestamp";
    case FieldType::AutoIncrement:
        return "Autoincrement";
    case FieldType::Bcd:
        return "BCD";
    case FieldType::Bytes:
        return "Bytes";
    }
    return "?";
}

const char* fieldTypeLetter(FieldType type) {
    switch (type) {
    case FieldType::Alpha:
        return "A";
    case FieldType::Date:
        return "D";
    case FieldType::Short:
        return "S";
    case FieldType::Long:
        return "I";
    case FieldType::Money:
        return "$";
    case FieldType::Number:
        return "N";
    case FieldType::Logical:
        return "L";
    case FieldType::Memo:
        return "M";
    case FieldType::Blob:
        return "B";
    case FieldType::FormattedMemo:
        return "F";
    case FieldType::Ole:
        return "O";
    case FieldType::Graphic:
        return "G";
    case FieldType::Time:
        return "T";
    case FieldType::Timestamp:
        return "@";
    case FieldType::AutoIncrement:
        return "+";
    case FieldType::Bcd:
        return "#";
    case FieldType::Bytes:
        return "Y";
    }
    return "?";
}

int adoTypeOf(FieldType type) {
    switch (type) {
    case FieldType::Alpha:
        return adVarChar;
    case FieldType::Number:
    case FieldType::Money:
    case FieldType::Bcd:
        return adDouble;
    case FieldType::Short:
        return adSmallInt;
    case FieldType::Long:
    case FieldType::AutoIncrement:
        return adInteger;
    case FieldType::Date:
        return adDBDate;
    case FieldType::Time:
        return adDBTime;
    case FieldType::Timestamp:
        return adDBTimeStamp;
    case FieldType::Logical:
        return adBoolean;
    case FieldType::Memo:
        return adLongVarChar;
    case FieldType::FormattedMemo:
    case FieldType::Graphic:
    case FieldType::Ole:
    case FieldType::Blob:
        return adLongVarBinary;
    case FieldType::Bytes:
        return adBinary;
    }
    return 0;
}

bool isBlobType(FieldType type) {
    switch (type) {
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FormattedMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return true;
    default:
        return false;
    }
}

std::optional<int> recordWidth(FieldType type, int sizeByte) {
    auto exactly = [sizeByte](int n) -> std::optional<int> {
        return sizeByte == n ? std::optional<int>(n) : std::nullopt;
    };
    switch (type) {
    case FieldType::Alpha:
    case FieldType::Bytes:
        return sizeByte >= 1 && sizeByte <= 255 ? std::optional<int>(sizeByte) : std::nullopt;
    case FieldType::Short:
        return exactly(2);
    case FieldType::Logical:
        return exactly(1);
    case FieldType::Date:
    case FieldType::Long:
    case FieldType::Time:
    case FieldType::AutoIncrement:
        return exactly(4);
    case FieldType::Money:
    case FieldType::Number:
    case FieldType::Timestamp:
        return exactly(8);
    case FieldType::Bcd:
        return sizeByte >= 0 && sizeByte <= 32 ? std::optional<int>(kBcdWidth) : std::nullopt;
    case FieldType::Memo:
    case FieldType::Blob:
    case FieldType::FormattedMemo:
    case FieldType::Ole:
    case FieldType::Graphic:
        return sizeByte >= kBlobTail && sizeByte <= 250 ? std::optional<int>(sizeByte)
                                                        : std::nullopt;
    }
    return std::nullopt;
}

} // namespace paradox
