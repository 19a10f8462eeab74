#include "folders/Folders.h"

#include "folders/DirectoryReader.h"
#include "folders/FolderError.h"
#include "host/Prompter.h"
#include "paradox/FileNames.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
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

bool exists(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// The path with each name that is missing as UTF-8, but present as the code page 1252
// bytes decodedName read it from, in those bytes.
std::string withCodePageNames(const std::string& text)
{
    std::string out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = text.find('/', start);
        const std::string name = text.substr(start, slash - start);
        const std::optional<std::string> bytes =
            name.empty() || exists(out + name) ? std::nullopt : paradox::codePageBytesOf(name);
        out += bytes && exists(out + *bytes) ? *bytes : name;
        if (slash == std::string::npos)
            return out;
        out += '/';
        start = slash + 1;
    }
}

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
    const std::string text = path.toStdString();
    struct stat st {};
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || ::lstat(text.c_str(), &st) == 0 || errno != ENOENT)
        return text;
    return withCodePageNames(text);
}

QString decodedName(const char* name)
{
    return QString::fromStdString(paradox::fileNameText(name));
}

QString decodedPath(const std::string& path)
{
    QString text;
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        text += decodedName(path.substr(start, slash - start).c_str());
        if (slash == std::string::npos)
            return text;
        text += u'/';
        start = slash + 1;
    }
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
            const QString name = decodedName(entry->d_name);
            if (matcher.match(name).hasMatch() && isFile(base + name))
                names.append(name);
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
