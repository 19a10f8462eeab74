#include "folders/FolderPicker.h"

#include "host/Prompter.h"

namespace tabulex {

QString browseFolder(const QString& title, const QString& initialFolder, Prompter& prompter)
{
    return prompter.browseFolder(title, initialFolder);
}

} // namespace tabulex
