// Writes the program's icon for the desktop's icon theme: make_app_icon FOLDER SIZE...
// writes FOLDER/<size>x<size>/apps/tabulex.png for each size, rendered offscreen from the
// icon the program draws for its windows.
#include "ui/common/AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER SIZE...\n", argv[0]);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();

    const QIcon icon = tabulex::applicationIcon();
    for (qsizetype i = 2; i < args.size(); ++i) {
        bool number = false;
        const int size = args[i].toInt(&number);
        // Only the sizes the program draws: a scaled picture would be blurred.
        if (!number || !icon.availableSizes().contains(QSize(size, size))) {
            std::fprintf(stderr, "the icon is not drawn at %s pixels\n", qPrintable(args[i]));
            return 1;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[1]).arg(size);
        const QPixmap picture = icon.pixmap(size);
        if (picture.size() != QSize(size, size) || !QDir().mkpath(folder) ||
            !picture.save(folder + QStringLiteral("/tabulex.png"), "PNG")) {
            std::fprintf(stderr, "cannot write the %dx%d icon into %s\n", size, size,
                         qPrintable(folder));
            return 1;
        }
    }
    return 0;
}
