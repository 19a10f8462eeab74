#pragma once

#include "core/SqlQuoting.h"
#include "core/Value.h"
#include "transfer/TypeMapping.h"

#include <QString>

#include <vector>

namespace tabulex {

class Fields;

// Appends one column definition "[name] TYPE," per field to the statement begun so far,
// then replaces the last comma by ");".
QString completeCreateTable(const QString& statement, const Fields& fields,
                            const std::vector<ColumnPlan>& columns);

// "INSERT INTO [table] VALUES(...)" for the current row: NULL for an empty value, else the
// value's text written as the column's literal style says.
QString buildInsertStatement(const QString& table, const Fields& fields,
                             const std::vector<ColumnPlan>& columns);

// "INSERT INTO [table] VALUES", to which the rows' value lists are appended.
QString insertHead(const QString& table);

// Appends the current row's value list "(...)" as buildInsertStatement writes it.
void appendValues(QString& out, const Fields& fields, const std::vector<ColumnPlan>& columns);

// True when an INSERT statement writes the value as NULL: Null, and an empty text, bytes
// or decimal.
bool writtenAsNull(const Value& v);

// Throws DataError for a value of the current row that its target column would not hold
// exactly (a target may round silently where the staging store refuses).
void verifyValuesFit(const Fields& fields, const std::vector<ColumnPlan>& columns);

// True when a column that rounds doubles (ColumnPlan::roundedDecimals) changes the value.
bool changedByRounding(const Value& v, const ColumnPlan& plan);

// The value as its INSERT literal makes the target column store it, for verification: Null
// where the statement writes NULL, a double rounded where the column rounds, a Boolean
// written as a digit as that number, any value written into a character column as its
// text, and text written into a numeric column as that number.
Value valueAsWritten(const Value& v, const ColumnPlan& plan);

// The path with doubled "/" collapsed (three in a row become two), keeping a leading "//".
QString collapseBackslashes(const QString& path);

} // namespace tabulex
