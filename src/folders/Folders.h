#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <string>

namespace tabulex {

class Prompter;

// Folder paths and names this long (in characters) or longer are not walked.
inline constexpr int kMaxPathLength = 260;

// Extends folders (each ending with "/") with their subfolders, breadth first: the entries
// given, then every first-level subfolder grouped by parent, then the next level and so on
// (only the first level when recurse is false). Entries that cannot be read (permission
// denied, path not found) are removed. A symbolic link is followed only to a folder inside
// one of the folders given, and no folder is listed or added twice, so a link can neither
// lead the walk out of the chosen folder nor make it loop.
// Pending window events run once per folder. Unexpected failures are shown as the walk's
// error report through the prompter.
void appendSubfolders(QStringList& folders, bool recurse, Prompter& prompter);

// The names (without folder) of the files in folder that match a wildcard pattern ("*",
// "?"), ignoring case, dot files included, folders excluded, in the order the folder lists
// them. Unlike the array this replaces, index 0 here is the first name; no name gives an
// empty list. A folder that does not exist or cannot be read holds no files; a path the
// file system rejects throws FolderError.
QStringList findFiles(const QString& folder, const QString& pattern);

// True when path names an existing regular file (links followed); never throws.
bool isFile(const QString& path);

// True when a folder name holds a character that the walk refuses: a code point below 32,
// from 127 to 159, or "?".
bool hasInvalidChars(const QString& name);

// True when path names an existing folder (links followed); never throws.
bool isFolder(const QString& path);

// True when the path's date and time can be read (anything that exists); never throws.
bool pathExists(const QString& path);

// The folder picker: Cancel gives the empty text.
QString browseFolder(const QString& title, const QString& initialFolder, Prompter& prompter);

// The bytes of a path for the system calls; nothing when it holds a NUL character. A name
// that decodedName spelled in code page 1252 becomes its own bytes again where the folder
// holds it under those bytes and not under the name's UTF-8.
std::optional<std::string> nativePath(const QString& path);

// A name read from a folder as text: UTF-8 names as they are, any other name as code page
// 1252 shows it, so that every file can be listed and opened again by its text.
QString decodedName(const char* name);

// A path of such names, each name decoded by itself.
QString decodedPath(const std::string& path);

} // namespace tabulex
