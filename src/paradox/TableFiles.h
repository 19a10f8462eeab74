#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Table files in a folder, matched without regard to case as Windows matches them: the table
// ORDERS is Orders.db or orders.DB. Errors listing a folder throw std::filesystem's error.
namespace paradox {

// True when the two UTF-8 names are equal ignoring case.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

// The .db file of a table in the folder; `table` is a name without extension (or with ".db").
std::optional<std::filesystem::path> findTableFile(const std::filesystem::path& folder,
                                                   std::string_view table);

// The file beside a table file with the same base name and the given extension ("MB").
std::optional<std::filesystem::path> findCompanion(const std::filesystem::path& dbFile,
                                                   std::string_view extension);

// The table's family in the folder: its .db and its companions .PX, .MB, .VAL, .TV, .FAM,
// .Xnn, .Ynn, .XGn, .YGn; never other files that share the base name.
std::vector<std::filesystem::path> tableFamily(const std::filesystem::path& folder,
                                               std::string_view table);

// The table files (*.db in any case) directly in the folder, sorted by name.
std::vector<std::filesystem::path> listTableFiles(const std::filesystem::path& folder);

// True for an extension (without the dot) that belongs to a table's family.
bool isFamilyExtension(std::string_view extension);

} // namespace paradox
