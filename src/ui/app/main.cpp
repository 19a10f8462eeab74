// Tabulex: starts with the connection window; closing it ends the program.
#include "core/AppInfo.h"
#include "ui/common/AppIcon.h"
#include "ui/connection/ConnectionWindow.h"
#include "ui/dialogs/QtPrompter.h"
#include "ui/tables/TableWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(tabulex::kProductTitle);
    QApplication::setWindowIcon(tabulex::applicationIcon());

    tabulex::QtPrompter prompter;
    tabulex::ConnectionWindow window(prompter);
    // Dialogs open over whichever of the two main windows is showing.
    prompter.setOwnerWindow([&window]() -> QWidget* {
        tabulex::TableWindow* tables = window.tableWindow();
        return tables && tables->isVisible() ? tables : static_cast<QWidget*>(&window);
    });
    QObject::connect(&window, &tabulex::ConnectionWindow::unloaded, &app, [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
    window.load();
    return QApplication::exec();
}
