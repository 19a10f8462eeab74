#pragma once

#include <QString>

#include <optional>

namespace tabulex::paradoxdriver {

// The statements Tabulex sends to a Paradox folder.
struct ParadoxStatement {
    enum class Kind { Select, Drop };
    Kind kind = Kind::Select;
    QString table;
    qint64 limit = -1; // SELECT top n; -1 for all rows
};

// Parses "SELECT * FROM [t]", "SELECT top 1 * FROM "t"" and "DROP TABLE [t]" (keywords in
// any case; names in brackets with "]]" for "]", in double quotes with """" for """, or bare).
// Nothing for any other statement.
std::optional<ParadoxStatement> parseParadoxStatement(const QString& statement);

} // namespace tabulex::paradoxdriver
