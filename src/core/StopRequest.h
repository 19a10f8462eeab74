#pragma once

#include <stdexcept>

namespace tabulex {

// Closing the program asks the running command to stop: at its next row or statement it
// throws CommandStopped, which no error trap reports, and the command unwinds.
class CommandStopped : public std::runtime_error {
public:
    CommandStopped() : std::runtime_error("The command was stopped: the program is closing.") {}
};

// Asks the running command to stop; any thread may ask, and the request holds until cleared.
void requestStop();
bool stopRequested();
// The next command runs to its end again.
void clearStopRequest();
// Throws CommandStopped once a stop was asked for.
void stopIfRequested();

} // namespace tabulex
