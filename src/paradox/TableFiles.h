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

// The .db file of the table of exactly this name in the folder.
std::optional<std::filesystem::path> findTableFile(const std::filesystem::path& folder,
                                                   std::string_view table);

// The file beside a table file with the same base name and the given extension ("MB").
std::optional<std::filesystem::path> findCompanion(const std::filesystem::path& dbFile,
                                                   std::string_view extension);

// The family of the table whose .db file is dbFile (which need not exist): the .db and its
// companions .PX, .MB, .VAL, .TV, .FAM, .Xnn, .Ynn, .XGn, .YGn in its folder; never other
// files that share the base name.
std::vector<std::filesystem::path> tableFamily(const std::filesystem::path& dbFile);

// The table files (*.db in any case) directly in the folder, sorted by name.
std::vector<std::filesystem::path> listTableFiles(const std::filesystem::path& folder);

// True for an extension (without the dot) that belongs to a table's family.
bool isFamilyExtension(std::string_view extension);

} // namespace paradox
