#pragma once

#include "staging/ParadoxExport.h"
#include "transfer/TypeMapping.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <vector>

namespace tabulex {

class Connection;
class Fields;

// A Paradox table's columns on SQL Server under the faithful mapping.
struct SqlServerShape {
    std::vector<ColumnPlan> plans; // one per field
    std::vector<int> key;          // the key fields' positions, in key order
    int identity = -1;             // the Autoincrement field that becomes IDENTITY
    std::vector<bool> notNull;
    // Per field, the record of its Paradox field where its column does not say it (else
    // empty), kept on the column as an extended property.
    std::vector<QString> records;
    QStringList notes; // what the user is told at the table's end
};

// Plans the columns of a Paradox table (its fields as the Paradox driver reports them). When
// it has key or required fields, its rows are read once first (on `paradox`): a key that SQL
// Server would refuse throws DataError, before anything is created.
SqlServerShape planSqlServerShape(const Fields& fields, Connection& paradox, const QString& table);

// The CREATE TABLE statement of the shape, begun with head ("CREATE TABLE [t]("): "[Id] INT
// IDENTITY(1,1) NOT NULL,[Name] NVARCHAR(30),...,PRIMARY KEY ([Id]));". SQL Server names the
// key's constraint itself, with a name no other object has.
QString faithfulCreateTable(const QString& head, const Fields& fields, const SqlServerShape& shape);

// The statements that record the Paradox fields on the columns of a table ("EXEC
// sp_addextendedproperty ...;" for each column with a record); empty when none has one.
QString paradoxRecordStatements(const QString& table, const QStringList& columns,
                                const std::vector<QString>& records);

// The records of a SQL Server table's columns, by column name in lower case; empty where the
// server keeps none (or cannot say).
using ParadoxRecords = QHash<QString, QString>;
ParadoxRecords paradoxRecordsOf(Connection& sql, const QString& table);

// A SQL Server table's columns in Paradox under the faithful mapping.
struct ParadoxShape {
    std::vector<ColumnPlan> plans; // one per field
    staging::ExportShape layout;   // key fields first
    QString moved; // the message when key fields had to be moved to the front; else empty
};

// The primary key's columns of a SQL Server table, in key order (sp_pkeys); empty without one.
// Asked before the table's rows are opened: the connection runs one statement at a time.
QStringList primaryKeyOf(Connection& sql, const QString& table);

// Plans the fields of a SQL Server table (as the ODBC driver reports its columns) with its
// primary key's columns; a column recorded with a Paradox field it holds gets that field.
ParadoxShape planParadoxShape(const Fields& fields, const QStringList& key,
                              const ParadoxRecords& records, const QString& table);

// A column's type in the CREATE TABLE statement of the shape, with IDENTITY and NOT NULL.
QString columnDefinitionType(const SqlServerShape& shape, int column);

// The export's layout for these columns with this key (names, in key order): key fields
// first. `moved` gets the message when they had to move; DataError for a key column the
// table does not have.
staging::ExportShape keyFirst(const QStringList& columns, const QStringList& key,
                              const QString& table, QString& moved);

// The staging CREATE TABLE statement of the shape, for the reports: the Paradox types and
// the key.
QString faithfulStagingStatement(const QString& head, const Fields& fields,
                                 const ParadoxShape& shape);

} // namespace tabulex
