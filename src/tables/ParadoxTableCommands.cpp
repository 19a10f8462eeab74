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

// The table's .db directly in folder, matched without regard to case; none when the folder
// does not exist.
std::optional<fs::path> tableFile(const QString& folder, const QString& table)
{
    const std::optional<std::string> native = nativePath(folder);
    if (!native || !isFolder(folder))
        return std::nullopt;
    return paradox::findTableFile(fs::path(*native), encoded(table));
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

int selectedCount(const TableList& list)
{
    int n = 0;
    for (int i = 0; i < list.count(); ++i)
        n += list.isSelected(i) ? 1 : 0;
    return n;
}

// What renaming one table does on disk: the files to move, and the files of another table
// under the new name that the rename would replace.
struct RenamePlan {
    std::vector<FileMove> moves;
    QStringList replaced;
    QString replacedItem; // a .db among them: the list item of that table, as the fill gave it
    std::vector<fs::path> tables; // the .db files the rename changes, for their locks
};

RenamePlan planRename(const QString& folder, const QString& oldName, const QString& newName)
{
    if (!paradox::isFileableTableName(encoded(newName)))
        throw FolderError(kBadFileName, QStringLiteral("Bad file name or number"));
    const QString prefix = folder + u'/';
    RenamePlan plan;
    const std::optional<fs::path> db = tableFile(folder, oldName);
    if (!db) {
        // Not in the folder itself: the copy of the path as written fails and is reported.
        plan.moves.push_back(
            {prefix + oldName + kTableExtension, prefix + newName + kTableExtension});
        return plan;
    }
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
        if (isTableFile(f)) {
            plan.replacedItem = paradoxListItem(decoded(f.filename()));
            plan.tables.push_back(f);
        }
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
    int deleted = 0;
    for (int i = list.count() - 1; i >= 0; --i) {
        if (!list.isSelected(i))
            continue;
        const QString name = list.item(i);
        // A table that is locked or not deleted stays listed; the report says why.
        std::optional<fs::path> db;
        bool mayDelete = false;
        if (!trap.step(106,
                       [&] {
                           db = tableFile(folder, name);
                           mayDelete = db && mayChangeParadoxTable({*db}, name, TableChange::Delete,
                                                                   prompter);
                       }) ||
            !mayDelete || !trap.step(108, [&] { deleteFile(decoded(*db), host); }))
            continue;
        for (const fs::path& c : companions(*db))
            trap.step(110, [&] { deleteFile(decoded(c), host); });
        if (trap.step(112, [&] { list.removeItem(i); }))
            ++deleted;
    }
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
    if (selectedCount(list) != 1) {
        trap.step(104, [&] {
            prompter.message(QStringLiteral("Please select just one table to rename."), appTitle());
        });
        return false;
    }
    bool renamed = false;
    for (int i = list.count() - 1; i >= 0; --i) {
        if (!list.isSelected(i))
            continue;
        const QString oldName = list.item(i);
        QString newName;
        trap.step(108, [&] {
            newName = prompter.inputBox(QStringLiteral("Enter new name of ") + oldName + u':',
                                        appTitle(), oldName);
        });
        if (newName.isEmpty() || newName == oldName)
            continue; // nothing to rename
        RenamePlan plan;
        bool unlocked = false;
        if (!trap.step(112,
                       [&] {
                           plan = planRename(folder, oldName, newName);
                           unlocked = mayChangeParadoxTable(plan.tables, oldName,
                                                            TableChange::Rename, prompter);
                       }) ||
            !unlocked)
            continue; // locked: the message said so
        bool replace = plan.replaced.isEmpty();
        if (!replace)
            trap.step(114, [&] {
                replace = prompter.question(QStringLiteral("Would you like to overwrite ") +
                                                newName + u'?',
                                            QStringLiteral("Overwrite?"));
            });
        if (!replace || !renameFile(plan.moves, host))
            continue; // both tables stay as they were
        removeReplaced(plan, host);
        trap.step(118, [&] { list.removeItem(i); });
        if (!plan.replacedItem.isEmpty()) // that item would stand for the renamed table
            trap.step(120, [&] { removeListItem(list, plan.replacedItem); });
        trap.step(122, [&] { list.addItem(newName); });
        trap.step(124, [&] {
            if (list.count() > 0)
                list.setCurrentIndex(0);
        });
        renamed = true;
    }
    return renamed;
}

} // namespace tabulex
