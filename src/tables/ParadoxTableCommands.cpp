// Delete and rename on the Paradox side: a table is its .db file and its companion files.
#include "tables/ParadoxTableCommands.h"

#include "core/AppInfo.h"
#include "folders/FileTests.h"
#include "folders/FolderError.h"
#include "folders/PathEncoding.h"
#include "folders/TableLocks.h"
#include "host/CommandHost.h"
#include "host/ErrorTrap.h"
#include "host/HostHourglass.h"
#include "host/Prompter.h"
#include "host/TableList.h"
#include "paradox/TableFiles.h"
#include "tables/FileDeleteRename.h"
#include "tables/ListFill.h"

#include <algorithm>
#include <filesystem>
#include <optional>

namespace tabulex {

namespace {

namespace fs = std::filesystem;

const QString kModule = QStringLiteral("Form2");
const QString kTableExtension = QStringLiteral(".DB");

std::string encoded(const QString& text) { return text.toStdString(); }
QString decoded(const fs::path& path) { return decodedPath(path.native()); }

bool isTableFile(const fs::path& file)
{
    return paradox::sameNameIgnoringCase(file.extension().string(), ".db");
}

// The .db of the table an item names; none when the folder does not exist or holds no such
// table.
std::optional<fs::path> tableFile(const QString& folder, const QString& item)
{
    if (!isFolder(folder))
        return std::nullopt;
    const std::optional<QString> file = paradoxTableFile(folder, item);
    if (!file)
        return std::nullopt;
    return fs::path(nativePath(*file).value_or(std::string()));
}

// The companion files of a table file: its family without the .db files.
std::vector<fs::path> companions(const fs::path& dbFile)
{
    std::vector<fs::path> found;
    for (const fs::path& f : paradox::tableFamily(dbFile))
        if (!isTableFile(f))
            found.push_back(f);
    return found;
}

// Deletes a file, read-only or not; throws FolderError with the system's reason when it
// cannot.
void deleteFile(const QString& path, CommandHost& host)
{
    host.processEvents();
    forceDeleteFile(path);
}

// What renaming one table does on disk: the files to move, and the files of another table
// under the new name that the rename would replace.
struct RenamePlan {
    std::vector<FileMove> moves;
    QStringList replaced;
    std::vector<fs::path> tables; // the .db files the rename changes, for their locks
};

RenamePlan planRename(const QString& folder, const QString& oldName, const QString& newName)
{
    if (!paradox::isFileableTableName(encoded(newName)))
        throw FolderError(kBadFileName, QStringLiteral("Bad file name or number"));
    RenamePlan plan;
    const std::optional<fs::path> db = tableFile(folder, oldName);
    if (!db) {
        // No such table: the copy of the path as written fails and is reported.
        const QString prefix = folder + u'/';
        plan.moves.push_back(
            {prefix + oldName + kTableExtension, prefix + newName + kTableExtension});
        return plan;
    }
    // The table keeps its folder.
    const QString prefix = decoded(db->parent_path()) + u'/';
    std::vector<fs::path> sources{*db};
    plan.tables.push_back(*db);
    plan.moves.push_back({decoded(*db), prefix + newName + kTableExtension});
    for (const fs::path& c : companions(*db)) {
        sources.push_back(c);
        plan.moves.push_back({decoded(c), prefix + newName + decoded(c.extension())});
    }
    for (const fs::path& f :
         paradox::tableFamily(db->parent_path() / paradox::tableFileName(encoded(newName)))) {
        if (std::find(sources.begin(), sources.end(), f) != sources.end())
            continue;
        plan.replaced << decoded(f);
        if (isTableFile(f))
            plan.tables.push_back(f);
    }
    return plan;
}

// Deletes the files of the table that a rename replaced, but none that now holds the
// renamed table (on a file system that ignores case they can be one file).
void removeReplaced(const RenamePlan& plan, CommandHost& host)
{
    for (const QString& file : plan.replaced) {
        const bool renamedOnto =
            std::any_of(plan.moves.begin(), plan.moves.end(),
                        [&](const FileMove& m) { return sameFile(file, m.destination); });
        if (!renamedOnto)
            removeFile(file, host);
    }
}

} // namespace

int deleteParadoxTables(TableList& list, const QString& folder, CommandHost& host)
{
    ErrorTrap trap(host.prompter(), kModule, QStringLiteral("PushButton5_Click"));
    Prompter& prompter = host.prompter();
    HostHourglass wait(host);
    if (list.currentIndex() == -1) {
        trap.step(102, [&] {
            host.prompter().message(QStringLiteral("Please select a table to delete."), appTitle());
        });
        return 0;
    }
    removeDeadScratchFiles(folder);
    int deleted = 0;
    QStringList folders; // the list folders that lost a table
    for (int i = list.count() - 1; i >= 0; --i) {
        if (!list.isSelected(i))
            continue;
        const QString name = list.item(i);
        // A table that is locked or not deleted stays listed; the report says why.
        std::optional<fs::path> db;
        bool mayDelete = false;
        // The family is known while its .db is there: once it is gone, a table differing
        // from it only in case would count as its own.
        std::vector<fs::path> family;
        if (!trap.step(106,
                       [&] {
                           db = tableFile(folder, name);
                           mayDelete = db && mayChangeParadoxTable({*db}, name, TableChange::Delete,
                                                                   prompter);
                           if (mayDelete)
                               family = companions(*db);
                       }) ||
            !mayDelete || !trap.step(108, [&] { deleteFile(decoded(*db), host); }))
            continue;
        for (const fs::path& c : family)
            trap.step(110, [&] { deleteFile(decoded(c), host); });
        if (trap.step(112, [&] { list.removeItem(i); })) {
            ++deleted;
            folders << paradoxItemPrefix(name);
        }
    }
    // A table that lost its namesake in another case is now listed as a fill lists it.
    folders.removeDuplicates();
    for (const QString& prefix : std::as_const(folders))
        trap.step(114, [&] { refreshParadoxFolderItems(list, folder, prefix); });
    return deleted;
}

bool renameParadoxTable(TableList& list, const QString& folder, CommandHost& host)
{
    ErrorTrap trap(host.prompter(), kModule, QStringLiteral("PushButton7_Click"));
    Prompter& prompter = host.prompter();
    HostHourglass wait(host);
    if (list.currentIndex() == -1) {
        trap.step(102, [&] {
            prompter.message(QStringLiteral("Please select a table to rename."), appTitle());
        });
        return false;
    }
    if (selectedItems(list).size() != 1) {
        trap.step(104, [&] {
            prompter.message(QStringLiteral("Please select just one table to rename."), appTitle());
        });
        return false;
    }
    removeDeadScratchFiles(folder);
    bool renamed = false;
    for (int i = list.count() - 1; i >= 0; --i) {
        if (!list.isSelected(i))
            continue;
        const QString item = list.item(i);
        // A table keeps its folder: only the name after the folder's path is asked for.
        const QString prefix = paradoxItemPrefix(item);
        const QString oldName = item.mid(prefix.size());
        QString newName;
        trap.step(108, [&] {
            newName = prompter.inputBox(QStringLiteral("Enter new name of ") + item + u':',
                                        appTitle(), oldName);
        });
        if (!prefix.isEmpty() && newName.startsWith(prefix))
            newName = newName.mid(prefix.size());
        if (newName.isEmpty() || newName == oldName)
            continue; // nothing to rename
        RenamePlan plan;
        bool unlocked = false;
        if (!trap.step(112,
                       [&] {
                           plan = planRename(folder, item, newName);
                           unlocked = mayChangeParadoxTable(plan.tables, item, TableChange::Rename,
                                                            prompter);
                       }) ||
            !unlocked)
            continue; // locked: the message said so
        bool replace = plan.replaced.isEmpty();
        if (!replace)
            trap.step(114, [&] {
                replace = prompter.question(QStringLiteral("Would you like to overwrite ") +
                                                listedAs(list, prefix + newName) + u'?',
                                            QStringLiteral("Overwrite?"));
            });
        if (!replace || !renameFile(plan.moves, host))
            continue; // both tables stay as they were
        removeReplaced(plan, host);
        // The folder's items as a fill lists them: the renamed table, the one it replaced
        // gone, and any whose namesake in another case came or went.
        trap.step(118, [&] { refreshParadoxFolderItems(list, folder, prefix); });
        trap.step(124, [&] {
            if (list.count() > 0)
                list.setCurrentIndex(0);
        });
        renamed = true;
    }
    return renamed;
}

} // namespace tabulex
