#pragma once

#include "paradox/FieldType.h"
#include "paradox/TableWriter.h"
#include "transfer/TypeMapping.h"

#include <QString>

#include <optional>

namespace tabulex {

struct Field;

// The Paradox field type of a column read from a Paradox table (its driver's type name);
// nothing for a column of another source.
std::optional<paradox::FieldType> paradoxTypeOf(const Field& field);

// The SQL Server column that holds exactly the values of a Paradox field, under the
// faithful mapping: its type as CREATE TABLE writes it and the literal style of its values.
// An Autoincrement field is "INT" here; the caller adds IDENTITY to one of them.
ColumnPlan faithfulSqlServerPlan(const Field& field);

// The Paradox field that holds exactly the values of a SQL Server column (from the server's
// type name, size, precision and scale), under the faithful mapping; nothing where no
// Paradox field does, and the default mapping's rule holds.
std::optional<paradox::FieldDefinition> faithfulParadoxField(const Field& field);

// The name of the extended property on a SQL Server column that records the Paradox field
// it holds, where its SQL Server type does not say it (a Memo's size, a BLOb's kind).
extern const QLatin1String kParadoxTypeProperty;

// The record of a Paradox field that its column under the faithful mapping does not say: its
// type letter and size ("M110", "G10", "+4") for a BLOb or Autoincrement field; else empty.
QString paradoxFieldRecord(const Field& field);

// The Paradox field a column's record names, when the record is well formed and the column's
// SQL Server type holds what that field holds; else nothing (faithfulParadoxField holds).
std::optional<paradox::FieldDefinition> recordedParadoxField(const Field& column,
                                                             const QString& record);

// The type word that stands for a Paradox field in the data type window and the statement
// towards Paradox ("AUTOINCREMENT", "BCD(32,2)", "ALPHA(30)" ...), and back.
QString paradoxTypeWord(const paradox::FieldDefinition& field);
std::optional<paradox::FieldDefinition> paradoxFieldOfWord(const QString& word);

} // namespace tabulex
