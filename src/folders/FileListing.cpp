#include "folders/FileListing.h"

#include "folders/DirectoryReader.h"
#include "folders/FileTests.h"
#include "folders/FolderError.h"
#include "folders/PathEncoding.h"

#include <QRegularExpression>

namespace tabulex {

namespace {

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

} // namespace tabulex
