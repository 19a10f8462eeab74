#pragma once

#include "core/Value.h"
#include "staging/StagingStore.h"

#include <QString>

#include <functional>

namespace paradox {
class Value;
}

namespace tabulex::staging {

// A value as the Paradox library writes it: text as UTF-8, timestamps to the millisecond,
// dates as timestamps at midnight, exact decimals as doubles.
paradox::Value paradoxValueOf(const Value& v);

// The value the export writes for a stored value of a column of this type, as the Paradox
// table gives it back: a timestamp to the millisecond (or its date or time alone in a Date
// or Time field), an exact decimal outside a BCD field as a double.
Value exportedValue(const Value& stored, const ColumnType& type);

// Throws DataError "Bad file name or number" (error 52) for a name whose file would not be
// a file of the folder itself: empty, "." or "..", or holding "/", NUL or a control character.
void checkParadoxTableName(const QString& paradoxName);

// How the export lays a table out under the faithful mapping: the staging columns in the
// order the Paradox fields take (key fields first), and how many of them are the key.
struct ExportShape {
    std::vector<int> order; // empty: the staging order
    int keyFields = 0;
};

// Writes a staging table into the folder as the Paradox 5.x table paradoxName + ".db", in
// the code page its rows chose (StagingTable::codePages); the name is one checkParadoxTableName
// passed. The files are written under temporary names and renamed into place only when
// complete; a table of that name is replaced then when `replace` is given and otherwise,
// like SELECT INTO, never is. eachRow runs after every row written; what it throws ends the
// export with nothing placed.
void exportToParadox(const StagingStore& store, const QString& table, const QString& folder,
                     const QString& paradoxName, bool replace = false,
                     const std::function<void()>& eachRow = {}, const ExportShape& shape = {});

} // namespace tabulex::staging
