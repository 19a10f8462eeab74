#pragma once

#include "staging/StagingTypes.h"

#include <QString>

#include <variant>
#include <vector>

namespace tabulex::staging {

struct ColumnDef {
    QString name;
    QString typeText;
};

struct CreateTable {
    QString table;
    std::vector<ColumnDef> columns;
};

struct DropTable {
    QString table;
};

struct InsertRow {
    QString table;
    std::vector<Literal> values;
};

// select * into [Paradox 5.x;Database=<folder>].[<file>] from [<table>]
struct ExportTable {
    QString database; // the text inside the first brackets
    QString file;
    QString table;
};

struct SelectRows {
    QString table;
    bool topOne = false;
};

using Statement = std::variant<CreateTable, DropTable, InsertRow, ExportTable, SelectRows>;

// Reads one statement of the staging store's dialect; throws DataError for anything else.
Statement parseStatement(const QString& sql);

} // namespace tabulex::staging
