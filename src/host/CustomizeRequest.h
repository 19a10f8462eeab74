#pragma once

#include <QString>

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
};

} // namespace tabulex
