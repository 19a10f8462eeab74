#pragma once

#include <QString>

namespace tabulex {

class Prompter;

// The folder picker: Cancel gives the empty text.
QString browseFolder(const QString& title, const QString& initialFolder, Prompter& prompter);

} // namespace tabulex
