#pragma once

#include "core/Value.h"
#include "staging/StagingSql.h"
#include "staging/StagingStore.h"

namespace paradox {
class Value;
}

namespace tabulex::staging {

// A value as the Paradox library writes it: text as UTF-8, timestamps to the millisecond,
// dates as timestamps at midnight, exact decimals as doubles.
paradox::Value paradoxValueOf(const Value& v);

// Writes a staging table out as a Paradox 5.x table: the export of
// "select * into [Paradox 5.x;Database=<folder>].[<name>.db] from [<table>]".
void exportToParadox(StagingStore& store, const ExportTable& statement);

} // namespace tabulex::staging
