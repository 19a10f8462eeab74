#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Table files in a folder, matched without regard to case as Windows matches them: the table
// ORDERS is Orders.db or orders.DB. A table's name is its file's name without the final
// ".db", nothing else: the table X.db is the file X.db.db. Names on disk are compared as
// fileNameText gives them. Errors listing a folder throw std::filesystem's error.
namespace paradox {

// True when the two UTF-8 names are equal ignoring case.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

// The file name of a table: its name followed by ".db".
std::string tableFileName(std::string_view table);

// The table a .db file holds: the file's name (as text) without its final ".db".
std::string tableNameOf(const std::filesystem::path& dbFile);

// True when a table of this name can be given a file in a folder: not empty, not "." or
// "..", and without "/", NUL or control characters (code points below 32, 127 to 159).
bool isFileableTableName(std::string_view table);

// The .db file of the table of this name in the folder: the file spelled exactly so, else
// the one file equal to it ignoring case; none where several are equal ignoring case and
// none exactly.
std::optional<std::filesystem::path> findTableFile(const std::filesystem::path& folder,
                                                   std::string_view table);

// One table directly in a folder as a list shows it. Its entry is its name where no other
// table of the folder has that name in another case (the list may then spell it in any
// case); otherwise the name as its file spells it, and where even that is shared (ORDERS.DB
// and ORDERS.db) the whole file name.
struct TableEntry {
    std::string entry;
    bool ownSpelling = false; // the entry must be shown as it is spelled
    std::filesystem::path dbFile;
};

// The tables directly in the folder, in file name order; a file named ".db" is no table.
std::vector<TableEntry> tableEntries(const std::filesystem::path& folder);

// The .db file that an entry of a list of the folder and its subfolders names: "ORDERS"
// in the folder itself, "sub/ORDERS" in its subfolder sub (each folder as its name reads as
// text). The entry's table as tableEntries spells it, else the one table of that folder
// equal to it ignoring case. None for a path that leaves the folder ("..", "." or an empty
// part) or names no table.
std::optional<std::filesystem::path> findTableEntry(const std::filesystem::path& root,
                                                    std::string_view entry);

// The file beside a table file with the same base name and the given extension ("MB"),
// never one that belongs to a table differing from it only in case.
std::optional<std::filesystem::path> findCompanion(const std::filesystem::path& dbFile,
                                                   std::string_view extension);

// The family of the table whose .db file is dbFile: the .db and its companions .PX, .MB,
// .VAL, .TV, .FAM, .Xnn, .Ynn, .XGn, .YGn in its folder; never other files that share the
// base name. Where other tables of the folder differ from it only in case, a companion is
// the table's when spelled as the table is, or when no other table claims it. A dbFile that
// does not exist stands for the one table equal to it ignoring case, or, with none, the
// companions that no table claims.
std::vector<std::filesystem::path> tableFamily(const std::filesystem::path& dbFile);

// The table files (*.db in any case) directly in the folder, sorted by name.
std::vector<std::filesystem::path> listTableFiles(const std::filesystem::path& folder);

// True for an extension (without the dot) that belongs to a table's family.
bool isFamilyExtension(std::string_view extension);

} // namespace paradox
