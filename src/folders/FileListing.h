#pragma once

#include <QString>
#include <QStringList>

namespace tabulex {

// The names (without folder) of the files in folder that match a wildcard pattern ("*",
// "?"), ignoring case, dot files included, folders excluded, in the order the folder lists
// them. Unlike the array this replaces, index 0 here is the first name; no name gives an
// empty list. A folder that does not exist or cannot be read holds no files; a path the
// file system rejects throws FolderError.
QStringList findFiles(const QString& folder, const QString& pattern);

} // namespace tabulex
