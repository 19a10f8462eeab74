#pragma once

#include <QString>

#include <dirent.h>

#include <memory>

namespace tabulex {

// The entries of one folder, read one at a time; "." and ".." are left out. The folder
// stays open for the reader's lifetime.
class DirectoryReader {
public:
    // Throws FolderError when the folder cannot be opened.
    explicit DirectoryReader(const QString& folder);

    // The next entry, or nullptr at the end; throws FolderError when reading fails.
    const dirent* next();

    // The folder's descriptor, for the *at() calls on its entries.
    int fd() const { return ::dirfd(m_dir.get()); }

private:
    struct Closer {
        void operator()(DIR* d) const { ::closedir(d); }
    };
    QString m_folder;
    std::unique_ptr<DIR, Closer> m_dir;
};

} // namespace tabulex
