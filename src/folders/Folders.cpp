#include "folders/Folders.h"

#include "folders/DirectoryReader.h"
#include "folders/FolderError.h"
#include "host/Prompter.h"

#include <QFile>
#include <QRegularExpression>

#include <cstring>
#include <sys/stat.h>

namespace tabulex {

namespace {

bool statPath(const QString& path, struct stat& st)
{
    const std::optional<std::string> native = nativePath(path);
    return native && ::stat(native->c_str(), &st) == 0;
}

// Windows wildcards: "*" any run of characters, "?" any one character, nothing else special.
QRegularExpression wildcardExpression(const QString& pattern)
{
    QString rx;
    for (const QChar c : pattern) {
        if (c == u'*')
            rx += QStringLiteral(".*");
        else if (c == u'?')
            rx += u'.';
        else
            rx += QRegularExpression::escape(QString(c));
    }
    return QRegularExpression(QRegularExpression::anchoredPattern(rx),
                              QRegularExpression::CaseInsensitiveOption |
                                  QRegularExpression::DotMatchesEverythingOption);
}

bool holdsNoFiles(int number) { return number == kPathNotFound || number == kPermissionDenied; }

} // namespace

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

std::optional<std::string> nativePath(const QString& path)
{
    if (path.contains(QChar(u'\0')))
        return std::nullopt;
    return QFile::encodeName(path).toStdString();
}

std::optional<QString> decodedName(const char* name)
{
    const QByteArray bytes(name);
    QString text = QFile::decodeName(bytes);
    if (QFile::encodeName(text) != bytes)
        return std::nullopt;
    return text;
}

QStringList findFiles(const QString& folder, const QString& pattern)
{
    QString base = folder;
    if (!base.endsWith(u'/'))
        base += u'/';
    QStringList names;
    try {
        DirectoryReader reader(base);
        const QRegularExpression matcher = wildcardExpression(pattern);
        while (const dirent* entry = reader.next()) {
            const std::optional<QString> name = decodedName(entry->d_name);
            if (name && matcher.match(*name).hasMatch() && isFile(base + *name))
                names.append(*name);
        }
    } catch (const FolderError& e) {
        if (!holdsNoFiles(e.number()))
            throw;
    }
    return names;
}

bool isFile(const QString& path)
{
    struct stat st {};
    return statPath(path, st) && S_ISREG(st.st_mode);
}

bool hasInvalidChars(const QString& name)
{
    for (const char32_t c : name.toUcs4()) {
        if (c < 32 || (c >= 127 && c <= 159) || c == U'?')
            return true;
    }
    return false;
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

QString browseFolder(const QString& title, const QString& initialFolder, Prompter& prompter)
{
    return prompter.browseFolder(title, initialFolder);
}

} // namespace tabulex
