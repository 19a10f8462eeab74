#pragma once

#include <QString>

#include <vector>

// The file routines of module Main, used by the table window's delete and rename commands.
namespace tabulex {

class CommandHost;

// One file to rename: its path now and its path after.
struct FileMove {
    QString source;
    QString destination;
};

// Deletes a file if it can, read-only or not. Never throws and shows nothing; lets pending
// window events run once.
void removeFile(const QString& path, CommandHost& host);

// Deletes a file, clearing its read-only state first; throws FolderError when it cannot.
void forceDeleteFile(const QString& path);

// Renames files by copying, then deleting the sources. Every copy is written completely
// beside its destination before any destination is replaced, and the sources are deleted
// only once every destination is in place, so a failed copy leaves all files as they were.
// A destination that is the source file itself (the same name, or another spelling of it
// on a file system that ignores case) is renamed in place and never deleted. Failures are
// shown as the error report of Main.renameFile and never passed on. True when every file
// now stands under its new name.
bool renameFile(const std::vector<FileMove>& moves, CommandHost& host);
bool renameFile(const QString& source, const QString& destination, CommandHost& host);

// True when both paths name the same existing file.
bool sameFile(const QString& a, const QString& b);

} // namespace tabulex
