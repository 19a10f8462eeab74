// Writes the picture that "Help" of the connection window offers: the window filled in for
// a SQL Server on this computer, rendered offscreen.
#include "core/AppInfo.h"
#include "ui/connection/ConnectionWindow.h"
#include "ui/dialogs/QtPrompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.jpg\n", argv[0]);
        return 2;
    }
    // The window stores what is typed into it: keep that away from the user's settings.
    QTemporaryDir settings;
    if (!settings.isValid())
        return 1;
    setenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit().constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    tabulex::setAppTitle();

    tabulex::QtPrompter prompter;
    tabulex::ConnectionWindow window(prompter);
    window.setWindowTitle(tabulex::kProductTitle);
    window.folderEdit->setText(QStringLiteral("/home/anna/Paradox Data"));
    window.serverEdit->setText(QStringLiteral("localhost"));
    window.portEdit->setText(QStringLiteral("1433"));
    window.userEdit->setText(QStringLiteral("sa"));
    window.passwordEdit->setText(QStringLiteral("password"));
    window.databaseEdit->setText(QStringLiteral("Sales"));
    window.localConnectionCheck->setChecked(true);
    window.show();
    window.nextButton->setFocus(); // the next step, and no text shown selected
    QApplication::processEvents();

    const QImage picture = window.grab().toImage();
    if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[1]), "JPG", 92)) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
