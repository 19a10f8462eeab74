#include "folders/DirectoryReader.h"

#include "folders/FolderError.h"
#include "folders/PathEncoding.h"

#include <cerrno>
#include <cstring>

namespace tabulex {

DirectoryReader::DirectoryReader(const QString& folder) : m_folder(folder)
{
    const std::optional<std::string> native = nativePath(folder);
    if (!native)
        throw FolderError(kBadFileName, QStringLiteral("Bad file name or number: ") + folder);
    m_dir.reset(::opendir(native->c_str()));
    if (!m_dir)
        throw FolderError::fromErrno(errno, folder);
}

const dirent* DirectoryReader::next()
{
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(m_dir.get());
        if (!entry) {
            if (errno != 0)
                throw FolderError::fromErrno(errno, m_folder);
            return nullptr;
        }
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            return entry;
    }
}

} // namespace tabulex
