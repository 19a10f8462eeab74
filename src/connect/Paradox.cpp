#include "connect/Paradox.h"

#include "folders/AddFolder.h"

namespace tabulex {

bool ParadoxFolderHasTables(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    return !FindFiles(folder, QStringLiteral("*.db")).isEmpty();
}

} // namespace tabulex
