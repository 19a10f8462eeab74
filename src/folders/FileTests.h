#pragma once

#include <QString>

namespace tabulex {

// True when path names an existing regular file (links followed); never throws.
bool isFile(const QString& path);

// True when path names an existing folder (links followed); never throws.
bool isFolder(const QString& path);

// True when the path's date and time can be read (anything that exists); never throws.
bool pathExists(const QString& path);

} // namespace tabulex
