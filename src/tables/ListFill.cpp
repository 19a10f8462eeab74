#include "tables/ListFill.h"

#include "core/AdoTypes.h"
#include "core/StopRequest.h"
#include "data/Connection.h"
#include "data/Recordset.h"
#include "folders/FolderError.h"
#include "folders/FolderWalk.h"
#include "folders/PathEncoding.h"
#include "host/CommandHost.h"
#include "host/TableList.h"
#include "paradox/TableFiles.h"
#include "tables/FileDeleteRename.h"
#include "tables/SqlRunMark.h"

#include <cerrno>
#include <filesystem>

namespace tabulex {

void fillSqlTableList(TableList& list, const QString& connectionString, CommandHost& host)
{
    Connection connection;
    connection.open(connectionString);
    const std::vector<RestoredTable> restored = removeLeftovers(connection);
    std::unique_ptr<Recordset> rs = connection.openSchema(ado::adSchemaTables);
    list.clear();
    for (; !rs->atEnd(); rs->moveNext()) {
        if (rs->fields()[QStringLiteral("TABLE_TYPE")].value.toText() != QLatin1String("TABLE"))
            continue;
        host.processEvents();
        stopIfRequested();
        const QString name = rs->fields()[QStringLiteral("TABLE_NAME")].value.toText();
        if (!name.toUpper().contains(QLatin1String("SYS")) && !isMarkedTableName(name))
            list.addItem(name);
    }
    rs->close();
    connection.close();
    for (const RestoredTable& t : restored)
        host.tableMessage(t.message);
}

namespace {

namespace fs = std::filesystem;

// The items of the tables directly in path, each behind prefix.
QStringList folderItems(const QString& path, const QString& prefix)
{
    const std::optional<std::string> native = nativePath(path);
    if (!native)
        return {};
    std::vector<paradox::TableEntry> entries;
    try {
        entries = paradox::tableEntries(fs::path(*native));
    } catch (const fs::filesystem_error& e) {
        const int code = e.code().value();
        if (code == ENOENT || code == EACCES || code == ENOTDIR)
            return {}; // a folder that is gone or closed holds no tables
        throw FolderError::fromErrno(code, path);
    }
    QStringList items;
    for (const paradox::TableEntry& e : entries) {
        if (decodedName(e.dbFile.filename().c_str()).startsWith(u'~'))
            continue;
        const QString entry = QString::fromStdString(e.entry);
        items << prefix + (e.ownSpelling ? entry : entry.toUpper());
    }
    return items;
}

QString withoutSlash(const QString& folder)
{
    return folder.endsWith(u'/') && folder.size() > 1 ? folder.chopped(1) : folder;
}

} // namespace

void fillParadoxTableList(TableList& list, const QString& folder, CommandHost& host)
{
    list.clear();
    if (folder.isEmpty())
        return;
    const QString root = withoutSlash(folder);
    QStringList folders{root + u'/'};
    appendSubfolders(folders, true, host);
    for (const QString& entry : std::as_const(folders)) {
        const QString path = entry.chopped(1);
        removeDeadScratchFiles(path);
        const QString prefix = path.size() > root.size() ? entry.mid(root.size() + 1) : QString();
        for (const QString& item : folderItems(path, prefix))
            list.addItem(item);
    }
}

QString paradoxItemPrefix(const QString& item) { return item.left(item.lastIndexOf(u'/') + 1); }

void refreshParadoxFolderItems(TableList& list, const QString& folder, const QString& prefix)
{
    const QString root = withoutSlash(folder);
    QStringList selected;
    for (int i = list.count() - 1; i >= 0; --i) {
        const QString item = list.item(i);
        if (paradoxItemPrefix(item) != prefix)
            continue;
        if (list.isSelected(i))
            selected << item;
        list.removeItem(i);
    }
    const QString path = prefix.isEmpty() ? root : root + u'/' + prefix.chopped(1);
    for (const QString& item : folderItems(path, prefix)) {
        const int at = sortedInsertIndex(list, item);
        list.addItem(item);
        if (selected.contains(item))
            list.setSelected(at, true);
    }
}

std::optional<QString> paradoxTableFile(const QString& folder, const QString& item)
{
    const std::optional<std::string> native = nativePath(withoutSlash(folder));
    if (!native || folder.isEmpty())
        return std::nullopt;
    const auto file = paradox::findTableEntry(fs::path(*native), item.toStdString());
    if (!file)
        return std::nullopt;
    return decodedPath(file->native());
}

} // namespace tabulex
