#include "core/AppInfo.h"

#include <QCoreApplication>

namespace tabulex {

namespace {

QString& storedTitle()
{
    static QString title = kProductTitle;
    return title;
}

} // namespace

QString setAppTitle(const QString& productTitle)
{
    QString title = productTitle;
    while (title.size() > 40) {
        const qsizetype space = title.lastIndexOf(u' ');
        if (space < 0)
            break; // one word longer than 40 characters is never cut inside
        title.truncate(space);
    }
    storedTitle() = title;
    return title;
}

const QString& appTitle() { return storedTitle(); }

QString programVersion() { return QStringLiteral(TABULEX_VERSION); }

QString applicationFolder() { return QCoreApplication::applicationDirPath(); }

} // namespace tabulex
