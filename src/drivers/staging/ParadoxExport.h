#pragma once

#include "drivers/staging/StagingSql.h"
#include "drivers/staging/StagingStore.h"

namespace tabulex::staging {

// Writes a staging table out as a Paradox 5.x table: the export of
// "select * into [Paradox 5.x;Database=<folder>].[<name>.db] from [<table>]".
void exportToParadox(StagingStore& store, const ExportTable& statement);

} // namespace tabulex::staging
