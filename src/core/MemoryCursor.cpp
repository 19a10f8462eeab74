#include "core/MemoryCursor.h"

#include "core/AdoTypes.h"

namespace tabulex {

std::vector<ColumnInfo> tablesCatalogueColumns()
{
    auto text = [](const char* name, int size) {
        return ColumnInfo{QString::fromLatin1(name), ado::adVarWChar, size, 0, 0};
    };
    return {text("TABLE_CAT", 128), text("TABLE_SCHEM", 128), text("TABLE_NAME", 128),
            text("TABLE_TYPE", 32), text("REMARKS", 254)};
}

} // namespace tabulex
