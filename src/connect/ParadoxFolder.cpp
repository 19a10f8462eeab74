#include "connect/ParadoxFolder.h"

#include "folders/FileListing.h"

namespace tabulex {

bool paradoxFolderHasTables(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    return !findFiles(folder, QStringLiteral("*.db")).isEmpty();
}

} // namespace tabulex
