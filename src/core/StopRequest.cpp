#include "core/StopRequest.h"

#include <atomic>

namespace tabulex {

namespace {

// Lock-free, so that a signal handler may raise it too.
std::atomic<bool> g_stop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

} // namespace

void requestStop() { g_stop.store(true); }
bool stopRequested() { return g_stop.load(); }
void clearStopRequest() { g_stop.store(false); }

void stopIfRequested()
{
    if (stopRequested())
        throw CommandStopped();
}

} // namespace tabulex
