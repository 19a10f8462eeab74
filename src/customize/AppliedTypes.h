#pragma once

#include <QString>
#include <QStringList>

namespace tabulex {

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
