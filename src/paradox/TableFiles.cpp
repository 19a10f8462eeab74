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
    const auto found = filesWhere(folder, [&](const fs::path& p) {
        const auto [name, ext] = splitName(p);
        return sameNameIgnoringCase(ext, "db") && sameNameIgnoringCase(name, table);
    });
    if (found.empty())
        return std::nullopt;
    return found.front();
}

std::optional<fs::path> findCompanion(const fs::path& dbFile, std::string_view extension)
{
    const std::string base = splitName(dbFile).first;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(folderOf(dbFile), ec)) {
        const auto [name, ext] = splitName(e.path());
        std::error_code ec2;
        if (e.is_regular_file(ec2) && sameNameIgnoringCase(ext, extension) &&
            sameNameIgnoringCase(name, base))
            return e.path();
    }
    return std::nullopt;
}

std::vector<fs::path> tableFamily(const fs::path& dbFile)
{
    const std::string base = tableNameOf(dbFile);
    return filesWhere(folderOf(dbFile), [&](const fs::path& p) {
        const auto [name, ext] = splitName(p);
        return sameNameIgnoringCase(name, base) && isFamilyExtension(ext);
    });
}

std::vector<fs::path> listTableFiles(const fs::path& folder)
{
    return filesWhere(
        folder, [](const fs::path& p) { return sameNameIgnoringCase(splitName(p).second, "db"); });
}

} // namespace paradox
