#pragma once

#include "core/Value.h"

#include "paradox/FieldType.h"

#include <QString>

#include <optional>

namespace tabulex::staging {

// The column types of the staging store: the Jet type names and their synonyms, each
// standing for the Paradox field type the export writes.
enum class JetType {
    Text,       // TEXT, ALPHA, VARCHAR, CHAR, ALPHANUMERIC, STRING (n, default 255): Alpha
    Memo,       // MEMO, LONGTEXT, NOTE, NTEXT, XML, SQL_VARIANT: Memo
    Byte,       // BYTE, TINYINT, INTEGER1: Short
    Short,      // SHORT, SMALLINT, INTEGER2: Short
    Long,       // LONG, INT, INTEGER, INTEGER4: Long Integer
    Counter,    // COUNTER, AUTOINCREMENT: Autoincrement
    Single,     // SINGLE, REAL, FLOAT4, IEEESINGLE: Number
    Double,     // FLOAT, DOUBLE, FLOAT8, NUMBER, IEEEDOUBLE, BIGINT: Number
    Decimal,    // DECIMAL, NUMERIC, DEC (p, s; default 18, 0): Number
    Currency,   // CURRENCY, MONEY, SMALLMONEY: Money
    Bit,        // BIT, LOGICAL, LOGICAL1, YESNO, BOOLEAN: Logical
    DateTime,   // DATETIME, DATE, TIME, TIMESTAMP, SMALLDATETIME: Timestamp
    Binary,     // BINARY, VARBINARY (n, default 255): Bytes
    LongBinary, // OLEOBJECT, LONGBINARY, GENERAL, IMAGE: Binary BLOb
    Guid,       // GUID, UNIQUEIDENTIFIER: Alpha 38
};

struct ColumnType {
    JetType type = JetType::Text;
    int size = 255;     // Text, Binary
    int precision = 18; // Decimal
    int scale = 0;      // Decimal
    QString spelled;    // the type word as written, for messages
    // A Memo only because the source's type is long: the export writes an Alpha field
    // instead when every value fits one.
    bool alphaWhenValuesFit = false;
    // Under the faithful mapping: the Paradox field the export writes (its type and size
    // byte) in place of the one the Jet type gives; the values are kept as it holds them.
    std::optional<paradox::FieldType> paradoxType = std::nullopt;
    int paradoxSize = 0;
    friend bool operator==(const ColumnType&, const ColumnType&) = default;
};

// The column that stores the values of a Paradox field of this type and size byte and is
// written as that field (ColumnType::paradoxType).
ColumnType paradoxColumnType(paradox::FieldType type, int size);

// Reads a type word ("TEXT", "VARCHAR(20)", "decimal(10, 2)"); nullopt for a type the store
// does not know.
std::optional<ColumnType> parseColumnType(const QString& text);

// The same, for a type the user chose for a field; throws DataError naming the type and the
// field when the store does not know it.
ColumnType requireColumnType(const QString& text, const QString& field);

// The value a column of this type stores for v, or throws DataError naming the column and
// the value when the column cannot hold it exactly. Null stays Null; bytes are binary data,
// which only the binary types take; every other value is taken as itself where that is
// plain and as its default text conversion otherwise. A time finer than a millisecond is
// rounded to the nearest one, and *rounded (when given) set.
Value convertValue(const Value& v, const ColumnType& type, const QString& column,
                   bool* rounded = nullptr);

} // namespace tabulex::staging
