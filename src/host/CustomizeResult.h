#pragma once

#include <QString>

#include <vector>

namespace tabulex {

// An applied data type window: the complete statement, and per field of the source table the
// column name as written and the chosen type.
struct CustomizeResult {
    QString statement;
    std::vector<QString> columnNames;
    std::vector<QString> columnTypes;
};

} // namespace tabulex
