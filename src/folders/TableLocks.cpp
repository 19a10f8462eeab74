#include "folders/TableLocks.h"

#include "core/AppInfo.h"
#include "folders/PathEncoding.h"
#include "host/Prompter.h"
#include "paradox/LockFiles.h"

#include <QStringList>

namespace tabulex {

namespace {

// Texts of a lock file shown with it, at most.
constexpr int kShownTexts = 4;

QString verbOf(TableChange change)
{
    switch (change) {
    case TableChange::Delete:
        return QStringLiteral("deleted");
    case TableChange::Rename:
        return QStringLiteral("renamed");
    case TableChange::Overwrite:
        break;
    }
    return QStringLiteral("overwritten");
}

QString commandOf(TableChange change)
{
    switch (change) {
    case TableChange::Delete:
        return QStringLiteral("Delete");
    case TableChange::Rename:
        return QStringLiteral("Rename");
    case TableChange::Overwrite:
        break;
    }
    return QStringLiteral("Overwrite");
}

// "/f/PDOXUSRS.LCK (2026-12-09 03:10:00; net file F:\PDOX; holds JOHN, ORDERS)"
QString describe(const paradox::LockFile& file)
{
    QStringList details{QString::fromStdString(paradox::localTimeText(file.modified))};
    if (!file.netFile.empty())
        details << QStringLiteral("net file ") + QString::fromStdString(file.netFile);
    QStringList texts;
    for (const std::string& t : file.texts)
        if (t != file.netFile && texts.size() < kShownTexts)
            texts << QString::fromStdString(t);
    if (!texts.isEmpty())
        details << QStringLiteral("holds ") + texts.join(QStringLiteral(", "));
    return decodedPath(file.path.native()) + QStringLiteral(" (") +
           details.join(QStringLiteral("; ")) + u')';
}

QString describeAll(const paradox::LockCheck& check)
{
    QStringList files;
    for (const paradox::LockFile& f : check.files)
        files << describe(f);
    return files.join(QStringLiteral(", "));
}

} // namespace

LockVerdict paradoxLockVerdict(const std::vector<std::filesystem::path>& dbFiles,
                               const QString& table, TableChange change)
{
    const paradox::LockCheck check = paradox::checkLocks(dbFiles);
    const QString reason = QString::fromStdString(check.reason);
    switch (check.state) {
    case paradox::LockCheck::State::Free:
        break;
    case paradox::LockCheck::State::Locked:
        return {LockVerdict::State::Locked,
                QStringLiteral("%1 was not %2: a Paradox program may have it open.\n"
                               "Lock files: %3.\n%4.")
                    .arg(table, verbOf(change), describeAll(check), reason)};
    case paradox::LockCheck::State::Stale:
        return {LockVerdict::State::Stale,
                QStringLiteral("%1 has the lock files of a Paradox program: %2.\n"
                               "They are stale: %3.\n%4 %1 all the same?")
                    .arg(table, describeAll(check), reason, commandOf(change))};
    }
    return {};
}

QString lockRefusal(const LockVerdict& verdict, const QString& table, TableChange change)
{
    if (verdict.state != LockVerdict::State::Stale)
        return verdict.text;
    QString text = verdict.text;
    text.truncate(text.lastIndexOf(u'\n'));
    return QStringLiteral("%1 was not %2 without the user's agreement: ")
               .arg(table, verbOf(change)) +
           text;
}

bool mayChangeParadoxTable(const std::vector<std::filesystem::path>& dbFiles, const QString& table,
                           TableChange change, Prompter& prompter)
{
    const LockVerdict verdict = paradoxLockVerdict(dbFiles, table, change);
    switch (verdict.state) {
    case LockVerdict::State::Free:
        return true;
    case LockVerdict::State::Locked:
        prompter.message(verdict.text, appTitle());
        return false;
    case LockVerdict::State::Stale:
        break;
    }
    return prompter.question(verdict.text, kStaleLockTitle);
}

} // namespace tabulex
