#include "batch/StopSignals.h"

#include <csignal>

#include <sys/prctl.h>
#include <sys/resource.h>

namespace tabulex::batch {

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

void restoreDefaults()
{
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    ::sigaction(SIGINT, &fallback, nullptr);
    ::sigaction(SIGTERM, &fallback, nullptr);
}

extern "C" void noteStop(int signal)
{
    g_stopSignal = signal;
    restoreDefaults(); // sigaction may be called in a handler
}

} // namespace

void catchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = noteStop;
    sigemptyset(&action.sa_mask);
    sigaddset(&action.sa_mask, SIGINT);
    sigaddset(&action.sa_mask, SIGTERM);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

int stopSignal() { return g_stopSignal; }

const char* stopSignalName() { return g_stopSignal == SIGINT ? "SIGINT" : "SIGTERM"; }

void disableCoreDumps()
{
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_CORE, &none);
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
}

} // namespace tabulex::batch
