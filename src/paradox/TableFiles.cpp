#include "paradox/TableFiles.h"

#include "paradox/FileNames.h"

#include <algorithm>
#include <cwctype>

#include <locale.h>

namespace paradox {

namespace fs = std::filesystem;

namespace {

// Unicode case folding through the C.UTF-8 locale, ASCII when it is missing.
locale_t foldingLocale()
{
    static const locale_t loc = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    return loc;
}

std::u32string folded(std::string_view s)
{
    std::u32string out;
    const locale_t loc = foldingLocale();
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const int len = b < 0x80         ? 1
                        : (b >> 5) == 6  ? 2
                        : (b >> 4) == 14 ? 3
                        : (b >> 3) == 30 ? 4
                                         : 1;
        char32_t c = len == 1 ? b : b & (0x7F >> len);
        for (int k = 1; k < len && i + k < s.size(); ++k)
            c = c << 6 | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        i += std::size_t(len);
        if (c < 0x80)
            c = (c >= 'A' && c <= 'Z') ? c + 32 : c;
        else if (loc)
            c = char32_t(towlower_l(wint_t(c), loc));
        out.push_back(c);
    }
    return out;
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

constexpr std::string_view kDbExtension = ".db";

// The name (as text) up to its last dot, and what follows the dot.
std::pair<std::string, std::string> splitName(const fs::path& file)
{
    const std::string name = fileNameText(file.filename().native());
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return {name, {}};
    return {name.substr(0, dot), name.substr(dot + 1)};
}

fs::path folderOf(const fs::path& file)
{
    return file.parent_path().empty() ? fs::path(".") : file.parent_path();
}

template <typename Keep> std::vector<fs::path> filesWhere(const fs::path& folder, Keep keep)
{
    std::vector<fs::path> found;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
        std::error_code ec;
        if (e.is_regular_file(ec) && keep(e.path()))
            found.push_back(e.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// A .db file of a folder and the name of its table.
struct Db {
    fs::path file;
    std::string base;
};

std::vector<Db> tablesIn(const fs::path& folder)
{
    std::vector<Db> dbs;
    for (const fs::path& f : filesWhere(folder, [](const fs::path& p) {
             return sameNameIgnoringCase(splitName(p).second, "db");
         }))
        dbs.push_back({f, splitName(f).first});
    return dbs;
}

// The one table whose name equals name ignoring case; none where there are none or several.
const Db* onlyEqualIgnoringCase(const std::vector<Db>& dbs, std::string_view name)
{
    const Db* found = nullptr;
    for (const Db& db : dbs) {
        if (!sameNameIgnoringCase(db.base, name))
            continue;
        if (found)
            return nullptr;
        found = &db;
    }
    return found;
}

// The table a companion of this base name belongs to: the one spelled as it is, else the
// one equal to it ignoring case; none where that is not one table.
const Db* claimant(const std::vector<Db>& dbs, std::string_view base)
{
    const Db* exact = nullptr;
    for (const Db& db : dbs) {
        if (db.base != base)
            continue;
        if (exact)
            return nullptr;
        exact = &db;
    }
    return exact ? exact : onlyEqualIgnoringCase(dbs, base);
}

// The subfolder whose name reads as name.
std::optional<fs::path> subfolderNamed(const fs::path& folder, std::string_view name)
{
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
        std::error_code ec2;
        if (fileNameText(e.path().filename().native()) == name && e.is_directory(ec2))
            return e.path();
    }
    return std::nullopt;
}

} // namespace

bool sameNameIgnoringCase(std::string_view a, std::string_view b) { return folded(a) == folded(b); }

bool isFamilyExtension(std::string_view ext)
{
    for (std::string_view fixed : {"DB", "PX", "MB", "VAL", "TV", "FAM"})
        if (sameNameIgnoringCase(ext, fixed))
            return true;
    const bool xy =
        !ext.empty() && (ext[0] == 'X' || ext[0] == 'x' || ext[0] == 'Y' || ext[0] == 'y');
    if (!xy)
        return false;
    if (ext.size() == 3 && isHexDigit(ext[1]) && isHexDigit(ext[2]))
        return true;                                                                  // .Xnn, .Ynn
    return ext.size() == 3 && (ext[1] == 'G' || ext[1] == 'g') && isHexDigit(ext[2]); // .XGn
}

std::string tableFileName(std::string_view table)
{
    return std::string(table) + std::string(kDbExtension);
}

std::string tableNameOf(const fs::path& dbFile)
{
    const std::string name = fileNameText(dbFile.filename().native());
    const bool db =
        name.size() >= kDbExtension.size() &&
        sameNameIgnoringCase(name.substr(name.size() - kDbExtension.size()), kDbExtension);
    return db ? name.substr(0, name.size() - kDbExtension.size()) : name;
}

bool isFileableTableName(std::string_view table)
{
    if (table.empty() || table == "." || table == "..")
        return false;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto b = static_cast<unsigned char>(table[i]);
        // U+0080 to U+009F are 0xC2 0x80 to 0xC2 0x9F in UTF-8.
        const bool c1 =
            b == 0xC2 && i + 1 < table.size() && static_cast<unsigned char>(table[i + 1]) < 0xA0;
        if (b == '/' || b < 32 || b == 127 || c1)
            return false;
    }
    return true;
}

std::optional<fs::path> findTableFile(const fs::path& folder, std::string_view table)
{
    const std::vector<Db> dbs = tablesIn(folder);
    for (const Db& db : dbs)
        if (db.base == table)
            return db.file;
    const Db* only = onlyEqualIgnoringCase(dbs, table);
    return only ? std::optional<fs::path>(only->file) : std::nullopt;
}

std::vector<TableEntry> tableEntries(const fs::path& folder)
{
    const std::vector<Db> dbs = tablesIn(folder);
    std::vector<TableEntry> entries;
    for (const Db& db : dbs) {
        if (db.base.empty())
            continue;
        int sameCase = 0, otherCase = 0;
        for (const Db& other : dbs) {
            if (other.base == db.base)
                ++sameCase;
            else if (sameNameIgnoringCase(other.base, db.base))
                ++otherCase;
        }
        TableEntry e{db.base, sameCase + otherCase > 1, db.file};
        if (sameCase > 1)
            e.entry = fileNameText(db.file.filename().native());
        const bool taken = std::any_of(entries.begin(), entries.end(),
                                       [&](const TableEntry& t) { return t.entry == e.entry; });
        if (!taken)
            entries.push_back(std::move(e));
    }
    return entries;
}

std::optional<fs::path> findTableEntry(const fs::path& root, std::string_view entry)
{
    fs::path folder = root;
    std::string_view rest = entry;
    for (auto slash = rest.find('/'); slash != std::string_view::npos; slash = rest.find('/')) {
        const std::string_view part = rest.substr(0, slash);
        rest.remove_prefix(slash + 1);
        if (part.empty() || part == "." || part == "..")
            return std::nullopt;
        const auto sub = subfolderNamed(folder, part);
        if (!sub)
            return std::nullopt;
        folder = *sub;
    }
    const std::vector<TableEntry> entries = tableEntries(folder);
    const TableEntry* like = nullptr;
    int likeCount = 0;
    for (const TableEntry& e : entries) {
        if (e.entry == rest)
            return e.dbFile;
        if (sameNameIgnoringCase(e.entry, rest)) {
            like = &e;
            ++likeCount;
        }
    }
    return likeCount == 1 ? std::optional<fs::path>(like->dbFile) : std::nullopt;
}

std::optional<fs::path> findCompanion(const fs::path& dbFile, std::string_view extension)
{
    const std::string base = splitName(dbFile).first;
    std::error_code ec;
    std::vector<Db> dbs;
    try {
        dbs = tablesIn(folderOf(dbFile));
    } catch (const fs::filesystem_error&) {
        return std::nullopt;
    }
    const Db* table = claimant(dbs, base);
    for (const fs::directory_entry& e : fs::directory_iterator(folderOf(dbFile), ec)) {
        const auto [name, ext] = splitName(e.path());
        std::error_code ec2;
        if (e.is_regular_file(ec2) && sameNameIgnoringCase(ext, extension) &&
            sameNameIgnoringCase(name, base) && (!table || claimant(dbs, name) == table))
            return e.path();
    }
    return std::nullopt;
}

std::vector<fs::path> tableFamily(const fs::path& dbFile)
{
    const fs::path folder = folderOf(dbFile);
    const std::vector<Db> dbs = tablesIn(folder);
    const std::string base = tableNameOf(dbFile);
    const Db* table = nullptr;
    for (const Db& db : dbs)
        if (db.file.filename() == dbFile.filename())
            table = &db;
    if (!table)
        table = onlyEqualIgnoringCase(dbs, base);
    std::vector<fs::path> family;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
        std::error_code ec;
        const auto [name, ext] = splitName(e.path());
        if (!e.is_regular_file(ec) || !isFamilyExtension(ext) || !sameNameIgnoringCase(name, base))
            continue;
        if (sameNameIgnoringCase(ext, "db")) {
            if (table && e.path().filename() == table->file.filename())
                family.push_back(e.path());
            continue;
        }
        if (claimant(dbs, name) == table)
            family.push_back(e.path());
    }
    std::sort(family.begin(), family.end());
    return family;
}

std::vector<fs::path> listTableFiles(const fs::path& folder)
{
    return filesWhere(
        folder, [](const fs::path& p) { return sameNameIgnoringCase(splitName(p).second, "db"); });
}

} // namespace paradox
