#pragma once

namespace tabulex::batch {

// SIGINT and SIGTERM ask a run to stop at its next clean point; a second one ends the
// program as the signal itself does.
void catchStopSignals();

// The signal that asked the run to stop, or 0.
int stopSignal();

// "SIGINT" or "SIGTERM".
const char* stopSignalName();

// Thrown where a run can stop cleanly once a stop signal came: before a table's first row or
// between two rows. Deliberately not a std::exception, so that nothing takes it for an error.
struct RunStopped {};

// No core file: a core dump would hold the password and the user's rows.
void disableCoreDumps();

} // namespace tabulex::batch
