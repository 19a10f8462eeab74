#pragma once

#include <QString>

namespace tabulex {

class CommandHost;

// True when folder holds at least one table file (a file matching "*.db", any case, hidden
// ones included). An empty folder text is false without looking at the disk, and so is a
// folder that does not exist. A path the file system rejects throws FolderError.
bool paradoxFolderHasTables(const QString& folder);

// What a look at the Paradox folder found.
struct FolderCheck {
    enum class State {
        NoFolder,           // the text is empty
        Missing,            // nothing is there
        NotAFolder,         // a file is there
        Unreadable,         // a folder that may not be listed
        NoTables,           // a folder without tables, at any depth
        TablesInSubfolders, // tables only below the folder
        Tables              // tables directly in the folder
    };
    State state = State::NoFolder;
    int tablesInFolder = 0;     // directly in the folder
    int tablesInSubfolders = 0; // at any depth below it, counted only when none is directly in it

    // A folder serves when tables stand directly in it; its subfolders' tables are then
    // listed beside them.
    bool usable() const { return state == State::Tables; }
};

// Looks at the folder: whether it is there and readable and where its tables are. The
// subfolders are walked only when the folder itself holds no table; the host lets window
// events run meanwhile. A path the file system rejects throws FolderError.
FolderCheck checkParadoxFolder(const QString& folder, CommandHost& host);

// The user's words for what the check found, after the test's first line ("Connection
// successful." or "Could not connect."). The folder stands on a line of its own, so that a
// long path is not broken inside a word.
QString folderCheckText(const FolderCheck& check, const QString& folder);

} // namespace tabulex
