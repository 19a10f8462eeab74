#include "ui/common/WindowCommands.h"

#include "core/StopRequest.h"
#include "data/BlockingCall.h"

#include <QCoreApplication>

namespace tabulex {

void keepWindowsAnswering()
{
    waitForCallsWith([] { QCoreApplication::processEvents(); });
}

void runWindowCommand(const std::function<void()>& command)
{
    try {
        command();
    } catch (const CommandStopped&) {
        // The program is closing; what the command left behind went with its scopes.
    }
}

} // namespace tabulex
