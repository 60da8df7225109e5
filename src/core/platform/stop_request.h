#pragma once

namespace xkm {

// Calls `onStop` whenever the operator or the system asks the program to stop
// (POSIX: SIGINT, SIGTERM; Windows: Ctrl+C, Ctrl+Break). It runs in a signal
// handler or on a thread of its own: it may only set a flag.
void InstallStopRequestHandler(void (*onStop)());

}  // namespace xkm
