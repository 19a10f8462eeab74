// Writes the data type window's help pages, one per target, from the table its check uses.
#include "customize/DataTypeCatalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

using namespace tabulex;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: make_type_help FOLDER\n", stderr);
        return 2;
    }
    const QString folder = QFile::decodeName(argv[1]);
    for (const TypeTarget target : {TypeTarget::SqlServer, TypeTarget::Paradox}) {
        const QString path = folder + u'/' + dataTypeHelpFile(target);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            file.write(dataTypeHelpPage(target).toUtf8()) < 0) {
            std::fprintf(stderr, "make_type_help: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
