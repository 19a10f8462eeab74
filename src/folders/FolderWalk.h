#pragma once

#include <QString>
#include <QStringList>

namespace tabulex {

class CommandHost;

// Folder paths and names this long (in characters) or longer are not walked.
inline constexpr int kMaxPathLength = 260;

// True when a folder name holds a character that the walk refuses: a code point below 32,
// from 127 to 159, or "?".
bool hasInvalidChars(const QString& name);

// Extends folders (each ending with "/") with their subfolders, breadth first: the entries
// given, then every first-level subfolder grouped by parent, then the next level and so on
// (only the first level when recurse is false). Entries that cannot be read (permission
// denied, path not found) are removed. A symbolic link is followed only to a folder inside
// one of the folders given, and no folder is listed or added twice, so a link can neither
// lead the walk out of the chosen folder nor make it loop.
// The host lets pending window events run as the walk goes. Unexpected failures are shown
// as the walk's error report through the host's prompter.
void appendSubfolders(QStringList& folders, bool recurse, CommandHost& host);

} // namespace tabulex
