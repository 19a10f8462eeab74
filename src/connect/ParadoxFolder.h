#pragma once

#include <QString>

namespace tabulex {

// True when folder holds at least one table file (a file matching "*.db", any case, hidden
// ones included). An empty folder text is false without looking at the disk, and so is a
// folder that does not exist. A path the file system rejects throws FolderError.
bool paradoxFolderHasTables(const QString& folder);

} // namespace tabulex
