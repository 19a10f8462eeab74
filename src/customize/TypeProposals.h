#pragma once

#include "core/Value.h"

#include <QString>
#include <QStringList>

namespace tabulex {

struct Field;

// The type proposed towards Paradox for a field of this ADO type name.
QString paradoxTypeProposal(const QString& adoTypeName);

// The type proposed towards SQL Server for a field; empty where the sample rule decides.
QString sqlServerTypeProposal(const Field& field);

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

} // namespace tabulex
