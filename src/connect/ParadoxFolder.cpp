#include "connect/ParadoxFolder.h"

#include "folders/FileListing.h"
#include "folders/FolderWalk.h"
#include "folders/PathEncoding.h"

#include <QStringList>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace tabulex {

namespace {

int tableFiles(const QString& folder)
{
    return int(findFiles(folder, QStringLiteral("*.db")).size());
}

QString tables(int n)
{
    return n == 1 ? QStringLiteral("1 table") : QStringLiteral("%1 tables").arg(n);
}

} // namespace

bool paradoxFolderHasTables(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    return !findFiles(folder, QStringLiteral("*.db")).isEmpty();
}

FolderCheck checkParadoxFolder(const QString& folder, CommandHost& host)
{
    using State = FolderCheck::State;
    FolderCheck check;
    if (folder.isEmpty())
        return check;
    // A path the file system rejects fails here, as the plain test does.
    check.tablesInFolder = tableFiles(folder);
    if (check.tablesInFolder > 0) {
        check.state = State::Tables;
        return check;
    }
    const std::optional<std::string> native = nativePath(folder);
    struct stat st {};
    if (!native || ::stat(native->c_str(), &st) != 0) {
        check.state = errno == EACCES ? State::Unreadable : State::Missing;
        return check;
    }
    if (!S_ISDIR(st.st_mode)) {
        check.state = State::NotAFolder;
        return check;
    }
    if (::access(native->c_str(), R_OK | X_OK) != 0) {
        check.state = State::Unreadable;
        return check;
    }
    QStringList folders{folder.endsWith(u'/') ? folder : folder + u'/'};
    appendSubfolders(folders, true, host);
    for (qsizetype i = 1; i < folders.size(); ++i)
        check.tablesInSubfolders += tableFiles(folders[i].chopped(1));
    check.state = check.tablesInSubfolders > 0 ? State::TablesInSubfolders : State::NoTables;
    return check;
}

QString folderCheckText(const FolderCheck& check, const QString& folder)
{
    using State = FolderCheck::State;
    const QString path = QStringLiteral("\r\n") + folder;
    switch (check.state) {
    case State::NoFolder:
        return QStringLiteral("Paradox folder: no folder is given. Type one or choose it with "
                              "\"...\".");
    case State::Missing:
        return QStringLiteral("Paradox folder: this folder does not exist:") + path;
    case State::NotAFolder:
        return QStringLiteral("Paradox folder: this is a file, not a folder:") + path;
    case State::Unreadable:
        return QStringLiteral("Paradox folder: you may not read this folder:") + path;
    case State::NoTables:
        return QStringLiteral("Paradox folder: no Paradox tables (.db files) in this folder or "
                              "its subfolders:") +
               path;
    case State::TablesInSubfolders:
        return QStringLiteral("Paradox folder: no tables directly in this folder, but %1 in its "
                              "subfolders; choose the subfolder that holds them:")
                   .arg(tables(check.tablesInSubfolders)) +
               path;
    case State::Tables:
        break;
    }
    return QStringLiteral("Paradox folder: %1 in").arg(tables(check.tablesInFolder)) + path;
}

} // namespace tabulex
