#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace paradox {

// Field type codes as stored in the field descriptors.
enum class FieldType : std::uint8_t {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Money = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    Blob = 0x0D,
    FormattedMemo = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    AutoIncrement = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

// The type for a descriptor's type byte, or nothing for an unknown code.
std::optional<FieldType> fieldTypeFromCode(std::uint8_t code);

// The name Paradox gives the type ("Alpha", "Long Integer", "Binary BLOb" ...).
const char* fieldTypeName(FieldType type);

// The letter of the table-structure dialog ("A", "N", "$", "+" ...).
const char* fieldTypeLetter(FieldType type);

// The ADO type number a field of this type reports.
int adoTypeOf(FieldType type);

// True for the types whose values may live in the .MB file.
bool isBlobType(FieldType type);

// Bytes a field takes in a record for its descriptor size byte (BCD: always 17), or nothing
// when the size byte is not valid for the type.
std::optional<int> recordWidth(FieldType type, int sizeByte);

constexpr int kBcdWidth = 17;
constexpr int kBlobTail = 10;

} // namespace paradox
