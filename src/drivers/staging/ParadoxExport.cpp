#include "drivers/staging/ParadoxExport.h"

#include "app/DataError.h"

namespace tabulex::staging {

void exportToParadox(StagingStore& store, const ExportTable& e)
{
    store.table(e.table);
    throw DataError(QStringLiteral("The Paradox export is not part of this build yet."));
}

} // namespace tabulex::staging
