#pragma once

#include <functional>

namespace tabulex {

// From now on a login or statement that waits on the network runs on a thread of its own
// while the windows keep answering: they repaint, and the close box ends the program.
void keepWindowsAnswering();

// Runs a window command; a command stopped because the program is closing simply ends.
void runWindowCommand(const std::function<void()>& command);

} // namespace tabulex
