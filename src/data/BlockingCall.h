#pragma once

#include <functional>

namespace tabulex {

class DriverConnection;
class DriverCursor;

// A driver call that may wait on a network, with the ways to end it early from another
// thread.
struct BlockingCall {
    std::function<void()> run;
    std::function<void()> cancel;    // asks the server to stop; the connection stays usable
    std::function<void()> interrupt; // ends the wait at once; the connection is lost
    // run owns everything it touches, so it may be left to finish on its own (a login).
    bool detachable = false;
};

// Runs a call to its end and passes on its error. By default it runs on the calling thread.
// Once a front end has set how to wait, it runs on a thread of its own while the calling
// thread runs whileWaiting every few milliseconds; when a stop is asked for meanwhile, the
// call is cancelled, then interrupted (a detachable one is left to itself), and
// CommandStopped is thrown. After a stop no call starts: CommandStopped at once, but in a
// CleanupAfterStop scope.
void runBlocking(const BlockingCall& call);

// A call into a driver or one of its cursors: through runBlocking when it may wait on a
// network, else at once.
void runDriverCall(DriverConnection& driver, const std::function<void()>& call);
void runCursorCall(DriverCursor& cursor, const std::function<void()>& call);

// The calls of a stopped command's cleanup (dropping the table it was building) still run
// while this lives, each cancelled after half a second and interrupted after a second.
class CleanupAfterStop {
public:
    CleanupAfterStop();
    ~CleanupAfterStop();
    CleanupAfterStop(const CleanupAfterStop&) = delete;
    CleanupAfterStop& operator=(const CleanupAfterStop&) = delete;
};

// How the calling thread waits from now on: the windows let their events run, the command
// line does nothing but can still be stopped. An empty function runs calls on the calling
// thread again.
void waitForCallsWith(std::function<void()> whileWaiting);

} // namespace tabulex
