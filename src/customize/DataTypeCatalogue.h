#pragma once

#include <QString>
#include <QStringList>

#include <span>
#include <vector>

namespace tabulex {

// The side a table is created on.
enum class TypeTarget { SqlServer, Paradox };

// The mappings a type name belongs to.
enum TypeMappings : unsigned { kClassicMapping = 1, kFaithfulMapping = 2, kEveryMapping = 3 };

// What may follow a type name in parentheses.
enum class TypeArguments {
    None,             // BIT
    OptionalLength,   // VARCHAR or VARCHAR(n), n from min to max
    Length,           // BYTES(n): the length is required
    LengthOrMax,      // NVARCHAR, NVARCHAR(n) or NVARCHAR(MAX)
    AnyLength,        // MEMO or MEMO(n), n any whole number
    PrecisionScale,   // DECIMAL, DECIMAL(p) or DECIMAL(p,s), p from min to max, s from 0 to p
    PrecisionAndScale // BCD(p,s): both required
};

// One type name a column may be given in the data type window, with the field or column it
// makes. Every check, list and help page of the window comes from this one table.
struct DataTypeName {
    TypeTarget target;
    const char* name;
    TypeArguments arguments;
    int min;
    int max;
    unsigned mappings;
    const char* makes; // what the column holds: "Alpha", "Memo", "whole numbers" ...
};

// Every row of the table, in the order the lists and help pages show them.
std::span<const DataTypeName> dataTypeNames();

// The rows a target and mapping accept.
std::vector<DataTypeName> allowedDataTypes(TypeTarget target, TypeMappings mapping);

// A row's written form with its arguments: "NVARCHAR[(1-4000|MAX)]", "BCD(1-32,s)".
QString dataTypeForm(const DataTypeName& row);

// The forms a target and mapping accept, one per row, for a refusal's list.
QStringList allowedDataTypeForms(TypeTarget target, TypeMappings mapping);

// Checks a typed type: a name of the table with the arguments its row takes, towards SQL
// Server optionally followed by NOT NULL or NULL, and under the faithful mapping by
// IDENTITY on an integer type. Empty when accepted, else why not.
QString dataTypeProblem(TypeTarget target, TypeMappings mapping, const QString& text);
inline bool isAllowedDataType(TypeTarget target, TypeMappings mapping, const QString& text)
{
    return dataTypeProblem(target, mapping, text).isEmpty();
}

// A help page listing the names a target and mapping accept, as HTML; the names and forms
// are those of the check.
QString dataTypeHelpPage(TypeTarget target);

// The help page's file name beside the program ("help/paradox-types.html").
QString dataTypeHelpFile(TypeTarget target);

} // namespace tabulex
