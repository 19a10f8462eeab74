#include "folders/PathEncoding.h"

#include "paradox/FileNames.h"

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

namespace tabulex {

namespace {

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

} // namespace tabulex
