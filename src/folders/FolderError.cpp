#include "folders/FolderError.h"

#include <cerrno>
#include <cstring>

namespace tabulex {

FolderError FolderError::fromErrno(int errnoValue, const QString& path)
{
    int number = kPathAccessError;
    if (errnoValue == EACCES || errnoValue == EPERM)
        number = kPermissionDenied;
    else if (errnoValue == ENOENT || errnoValue == ENOTDIR)
        number = kPathNotFound;
    return FolderError(number, QString::fromLocal8Bit(std::strerror(errnoValue)) +
                                   QStringLiteral(": ") + path);
}

} // namespace tabulex
