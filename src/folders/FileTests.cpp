#include "folders/FileTests.h"

#include "folders/PathEncoding.h"

#include <sys/stat.h>

namespace tabulex {

namespace {

bool statPath(const QString& path, struct stat& st)
{
    const std::optional<std::string> native = nativePath(path);
    return native && ::stat(native->c_str(), &st) == 0;
}

} // namespace

bool isFile(const QString& path)
{
    struct stat st {};
    return statPath(path, st) && S_ISREG(st.st_mode);
}

bool isFolder(const QString& path)
{
    struct stat st {};
    return statPath(path, st) && S_ISDIR(st.st_mode);
}

bool pathExists(const QString& path)
{
    struct stat st {};
    return statPath(path, st);
}

} // namespace tabulex
