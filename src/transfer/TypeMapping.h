#pragma once

#include "staging/StagingTypes.h"
#include "transfer/SilentChanges.h"

#include <QString>

#include <optional>

namespace tabulex {

struct Field;

// The column type word for a Paradox target (through the staging table), chosen from the
// lower-case type key by the ordered substring rules; VARCHAR when none matches.
QString paradoxColumnType(const QString& typeKey);
// The column type word for a SQL Server target; TEXT when no rule matches.
QString sqlServerColumnType(const QString& typeKey);

enum class Direction { ToParadox, ToSqlServer };

// How a field's values are written into an INSERT statement.
enum class LiteralStyle {
    Quoted,        // 'text' with apostrophes doubled
    UnicodeQuoted, // N'text': character data towards SQL Server
    Hex,           // 0x0102...: binary data, unquoted
    BooleanDigits, // 1 or 0, unquoted: Boolean fields towards Paradox
};

// The target column of one source field: its type in the CREATE TABLE statement and how
// its values are written.
struct ColumnPlan {
    QString type;
    LiteralStyle style = LiteralStyle::Quoted;
    // What the SQL Server column would change silently, so that such values are refused
    // before they are sent. The staging store checks the Paradox side itself.
    SilentChanges guard = {};
    // The staging store's column for the type word, under the default mapping towards
    // Paradox; a chosen type is read from the user's word when the table is created.
    std::optional<staging::ColumnType> stagingType = std::nullopt;
    // MONEY under the faithful mapping: a double is written rounded to this many decimals
    // (and checked as rounded), where other columns refuse a value they would change.
    int roundedDecimals = -1;
};

// The column for a field under the default mapping. The mapping by type key holds, except
// where it would change values: fractions never go into INT, wide integers never into a
// 32-bit column, long text goes to a Memo (which the export makes an Alpha field when every
// value fits one), bytes go to binary columns, character data towards SQL Server is Unicode,
// and DECIMAL carries the source's precision and scale.
ColumnPlan defaultColumnPlan(const Field& field, Direction direction);

// The plan for a column of a type the user chose.
ColumnPlan chosenColumnPlan(const Field& field, const QString& columnType, Direction direction);

// The literal style for values of a field going into a column of the given type, as when
// the user chose the type.
LiteralStyle literalStyleFor(const Field& field, const QString& columnType, Direction direction);

} // namespace tabulex
