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

// Whether the Paradox tables whose .db files are given may be changed: true when no Paradox
// or BDE program's lock file concerns them, or when every such file is shown stale and the
// user says Yes to going ahead. A locked table is refused with a message that names the
// lock files and their times; nothing on disk changes either way.
bool mayChangeParadoxTable(const std::vector<std::filesystem::path>& dbFiles, const QString& table,
                           TableChange change, Prompter& prompter);

} // namespace tabulex
