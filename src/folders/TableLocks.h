#pragma once

#include <QString>

#include <filesystem>
#include <vector>

namespace tabulex {

class Prompter;

// What a command is about to do to a Paradox table.
enum class TableChange { Delete, Rename, Overwrite };

// The title of the question whether to go ahead over stale lock files.
inline const QString kStaleLockTitle = QStringLiteral("Stale Lock?");

// What the lock files of Paradox tables mean for a change, in the words shown to the user.
struct LockVerdict {
    enum class State { Free, Locked, Stale };
    State state = State::Free;
    // Locked: why the change is refused; Stale: the question whether to go ahead.
    QString text;
};

// The verdict on the lock files of the tables whose .db files are given.
LockVerdict paradoxLockVerdict(const std::vector<std::filesystem::path>& dbFiles,
                               const QString& table, TableChange change);

// The refusal of a change whose table got lock files after the user was asked, or while a
// stale lock was not agreed to: a locked verdict's text, or the stale one's as a refusal.
QString lockRefusal(const LockVerdict& verdict, const QString& table, TableChange change);

// Whether the Paradox tables whose .db files are given may be changed: true when no Paradox
// or BDE program's lock file concerns them, or when every such file is shown stale and the
// user says Yes to going ahead. A locked table is refused with a message that names the
// lock files and their times; nothing on disk changes either way.
bool mayChangeParadoxTable(const std::vector<std::filesystem::path>& dbFiles, const QString& table,
                           TableChange change, Prompter& prompter);

} // namespace tabulex
