// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, `timeout`, a service manager) end the
// program as a confirmed close does, without the exit question. The handlers only note
// the signal; the window's message processing sees it and ends the run there, so no
// unsafe work ever happens inside a handler. A second signal while the first is still
// being handled ends the process at once, as if no handler were installed.
#pragma once

namespace ml {

// Installs the handlers (again after resetTermination in tests).
void installTerminationHandlers();
// The signal that asked the program to end, or 0.
int terminationSignal();
// Forgets a noted signal (tests).
void resetTermination();
// After the run was ended and everything written: dies by the same signal with its
// default action, so the parent sees how the program ended (shell status 128 + N).
// Returns only when no signal was noted.
void finishTermination();

}  // namespace ml
