#pragma once

#include "core/Value.h"

#include <QString>

#include <optional>

namespace tabulex::staging {

// The column types of the staging store: the Jet type names and their synonyms, each
// standing for the Paradox field type the export writes.
enum class JetType {
    Text,     // TEXT, VARCHAR, CHAR, ALPHANUMERIC, STRING (n, default 255): Alpha
    Memo,     // MEMO, LONGTEXT, NOTE, NTEXT, XML, SQL_VARIANT: Memo
    Byte,     // BYTE, TINYINT, INTEGER1: Short
    Short,    // SHORT, SMALLINT, INTEGER2: Short
    Long,     // LONG, INT, INTEGER, INTEGER4: Long Integer
    Counter,  // COUNTER, AUTOINCREMENT: Autoincrement
    Single,   // SINGLE, REAL, FLOAT4, IEEESINGLE: Number
    Double,   // FLOAT, DOUBLE, FLOAT8, NUMBER, IEEEDOUBLE, BIGINT: Number
    Decimal,  // DECIMAL, NUMERIC, DEC (p, s; default 18, 0): Number
    Currency, // CURRENCY, MONEY, SMALLMONEY: Money
    Bit,      // BIT, LOGICAL, LOGICAL1, YESNO, BOOLEAN: Logical
    DateTime, // DATETIME, DATE, TIME, TIMESTAMP, SMALLDATETIME: Timestamp
    Binary,   // BINARY, VARBINARY (n, default 255): Bytes
    LongBinary, // OLEOBJECT, LONGBINARY, GENERAL, IMAGE: Binary BLOb
    Guid,     // GUID, UNIQUEIDENTIFIER: Alpha 38
};

struct ColumnType {
    JetType type = JetType::Text;
    int size = 255;    // Text, Binary
    int precision = 18; // Decimal
    int scale = 0;     // Decimal
    QString spelled;   // as written in the CREATE TABLE statement
};

// Reads a type as written in a column definition ("TEXT", "VARCHAR(20)", "decimal(10, 2)");
// nullopt for a type the store does not know.
std::optional<ColumnType> parseColumnType(const QString& text);

// The ADO type number a recordset reports for a column of this type.
int adoTypeOf(const ColumnType& type);

// One value of an INSERT statement as written: NULL, a quoted text, a bare number (or the
// 1 and 0 that stand for Booleans), or a hexadecimal literal 0x....
struct Literal {
    enum class Kind { Null, Text, Number, Hex } kind = Kind::Null;
    QString text; // unquoted text, number or hex digits
    // The value the literal was written from, when the writer hands it over as well: the
    // conversion may then skip reading the text back, and a null text stands for the
    // source's default text conversion. The result is the same either way.
    const Value* source = nullptr;
};

// Converts a literal into the value the column stores, or throws DataError with a message
// naming the column and the value when the column cannot hold it exactly.
Value convertLiteral(const Literal& literal, const ColumnType& type, const QString& column);

} // namespace tabulex::staging
