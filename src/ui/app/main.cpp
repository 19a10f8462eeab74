// Tabulex: starts with the connection window; closing it ends the program.
#include "ui/common/AppIcon.h"
#include "core/AppInfo.h"
#include "ui/dialogs/QtPrompter.h"
#include "ui/connection/Form1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(tabulex::kProductTitle);
    QApplication::setWindowIcon(tabulex::applicationIcon());

    tabulex::QtPrompter prompter;
    tabulex::Form1 form(prompter);
    QObject::connect(&form, &tabulex::Form1::unloaded, &app, [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
    form.Form_Load();
    return QApplication::exec();
}
