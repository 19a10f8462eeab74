#pragma once

#include <QString>
#include <QStringList>

#include "core/Value.h"

namespace tabulex {

// The 26 type names the data type window's Help lists and "Change" accepts, in their order.
const QStringList& dataTypeCatalogue();

// True when the typed type text is accepted: it occurs (ignoring case) inside "MEMO" and the
// catalogue, or it holds "binary(", "char(", "decimal(" or "numeric(".
bool isValidDataType(const QString& text);

// The proposals for a SQL Server table going to Paradox, read from its first row only:
// one field name and one proposed type appended per field. Errors reach the caller, with
// the rows appended so far left in the lists.
void deriveParadoxTypes(const QString& sqlConnectionString, const QString& table,
                        QStringList& names, QStringList& types);

// The proposals for a Paradox table going to SQL Server; character fields follow the length
// of their first row's value (the sample rule).
void deriveSqlServerTypes(const QString& paradoxConnectionString, const QString& table,
                          QStringList& names, QStringList& types);

// The sample rule: the proposed type for a first-row value (absent when the table is empty),
// no shorter than the field's own size where it has one.
QString sampleRuleType(bool atEnd, const Value& value, qint64 fieldSize = 0);

// True when a field name converts in full to a finite number (2019, 3.5, -1, with blanks
// around); NaN and Inf are names.
bool isNumericFieldName(const QString& name);

// The first of newfieldname0, tempid1, tempid2 ... that equals no field name and no name
// generated earlier in the same apply.
QString newFieldName(const QStringList& fieldNames, const QStringList& generated);

// What applying the window's lists gives.
struct AppliedTypes {
    QString statement;    // the complete CREATE TABLE statement
    QStringList columns;  // the column names as written, unquoted, generated ones included
    QString numeric;      // Paradox target: the positions of "int" and "currency" types, each + ","
    QStringList oldNames; // numeric field names that were replaced
    QStringList newNames; // their generated names
};

// Completes the head with one column definition per row: "[name] type" towards Paradox,
// "\"name\" type" otherwise; the types go in unchanged.
AppliedTypes applyDataTypes(const QString& target, const QString& head, const QStringList& names,
                            const QStringList& types);

} // namespace tabulex
