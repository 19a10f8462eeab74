// Tabulex: starts with the connection window; closing it ends the program.
#include "core/AppInfo.h"
#include "core/StopRequest.h"
#include "ui/common/AppIcon.h"
#include "ui/common/WindowCommands.h"
#include "ui/connection/ConnectionWindow.h"
#include "ui/dialogs/QtPrompter.h"
#include "ui/tables/TableWindow.h"

#include <QApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <optional>

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// SIGTERM and SIGINT reach the event loop through this pair of sockets.
int g_signalSockets[2] = {-1, -1};

extern "C" void forwardSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalSockets[1], &byte, 1);
}

// No core file: a core dump would hold the password and the user's rows.
void disableCoreDumps()
{
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

// SIGTERM and SIGINT end the program as closing its window does; a second one ends it at
// once, as the signal itself does.
void closeOnSignals(QApplication& app, tabulex::ConnectionWindow& window)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSockets) != 0)
        return;
    auto* notifier = new QSocketNotifier(g_signalSockets[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [notifier, &window] {
        notifier->setEnabled(false);
        window.unload();
    });
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

const char kHelpText[] = R"(Usage: tabulex [--help | --version]

Moves tables between a SQL Server database and a folder of Paradox tables, both
ways, and deletes and renames tables on either side. The connection window
takes the SQL Server login and the Paradox folder and remembers them for the
next start; "Next >" opens the table window with the tables of both sides.
When the remembered folder holds tables and the remembered login works, the
table window opens at once.

The same work without a screen: tabulex-batch --help.

Options
  -h, --help     this text
  --version      the version of tabulex
Qt's own options (-platform, -display, -style ...) are passed on to Qt.
)";

// --help and --version answer on the terminal, before anything needs a display; nullopt
// when the program is to start its windows.
std::optional<int> answerOnTerminal(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelpText, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tabulex %s\n", qPrintable(tabulex::programVersion()));
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv)
{
    if (const auto answered = answerOnTerminal(argc, argv))
        return *answered;
    disableCoreDumps();
    QApplication app(argc, argv);
    QApplication::setApplicationName(tabulex::kProductTitle);
    QApplication::setWindowIcon(tabulex::applicationIcon());

    tabulex::keepWindowsAnswering();
    tabulex::QtPrompter prompter;
    tabulex::ConnectionWindow window(prompter);
    // Dialogs open over whichever of the two main windows is showing.
    prompter.setOwnerWindow([&window]() -> QWidget* {
        tabulex::TableWindow* tables = window.tableWindow();
        return tables && tables->isVisible() ? tables : static_cast<QWidget*>(&window);
    });
    // The window that was closed has asked the running command to stop; it unwinds before the
    // event loop ends.
    QObject::connect(&window, &tabulex::ConnectionWindow::unloaded, &app, [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });
    closeOnSignals(app, window);
    window.load();
    // Closed while the automatic advance waited: the event loop's quit came before it ran.
    if (tabulex::stopRequested())
        return 0;
    return QApplication::exec();
}
