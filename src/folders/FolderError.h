#pragma once

#include <QString>

#include <stdexcept>

namespace tabulex {

// Error numbers of file operations, as the program reports them.
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathNotFound = 76;
inline constexpr int kBadFileName = 52;
inline constexpr int kPathAccessError = 75;

// The one error type of the folder utilities: the error number and the system's text.
class FolderError : public std::runtime_error {
public:
    FolderError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), m_number(number)
    {
    }

    // The error for a failed system call on path, from its errno.
    static FolderError fromErrno(int errnoValue, const QString& path);

    int number() const noexcept { return m_number; }

private:
    int m_number;
};

} // namespace tabulex
