#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tabulex {

// An applied data type window: the complete statement, and per field of the source table the
// column name as written and the chosen type.
struct CustomizeResult {
    QString statement;
    std::vector<QString> columnNames;
    std::vector<QString> columnTypes;
    // Under the faithful mapping: the key's columns as the window left it (empty: no key).
    QStringList key = {};
    // The code page chosen for the table (0: its own, or the one its rows choose).
    int codePage = 0;
};

} // namespace tabulex
