#pragma once

#include <QString>
#include <QStringList>

namespace tabulex {

// The target sides the data type window knows; any other text leaves its lists empty.
inline const QString kParadoxTarget = QStringLiteral("Paradox");
inline const QString kSqlServerTarget = QStringLiteral("MSSQL");

// What the data type window is given for one table.
struct CustomizeRequest {
    QString target;                 // kParadoxTarget or kSqlServerTarget, compared exactly
    QString tableName;              // the source table, as its list shows it
    QString head;                   // the CREATE TABLE head the window completes
    QString sourceConnectionString; // where the proposals are read from
    // Under the faithful mapping: the fields and the types it proposes (the window shows
    // these instead of deriving its own), and the key, which the window shows as a last row
    // "PRIMARY KEY" that the user may change or empty.
    QStringList fieldNames = {};
    QStringList proposedTypes = {};
    QStringList key = {};
    // The code page the run reads Paradox tables in or writes them in (0: each table's own,
    // or the one its rows choose); the window lets the user choose another for the table.
    int codePage = 0;
};

// The name of the data type window's row that holds the key under the faithful mapping.
inline const QString kPrimaryKeyRow = QStringLiteral("PRIMARY KEY");

} // namespace tabulex
