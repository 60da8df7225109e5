#pragma once

#include <string>
#include <vector>

namespace xkm {

// The exit code of a program that aborted (abort(), std::terminate) on every
// platform: what a shell shows for SIGABRT, and none of the batch mode's codes.
inline constexpr int kExitAborted = 134;

// The arguments after the program's name, in UTF-8. On Windows they are read
// again from the wide command line, since `argv` there holds them in the ANSI
// code page, which cannot spell every path; elsewhere `argv` as it is.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// From now on a request from outside to stop this program is remembered for
// TakeStopRequest instead of ending it: SIGINT, SIGTERM and SIGHUP (a closed
// terminal); on Windows Ctrl+C, Ctrl+Break and closing the console window. A
// console that is being closed allows the program only a few seconds to end by
// itself. SIGPIPE is ignored: a write to a reader that went away is dropped
// and the run goes on to its report. Called first thing, so that no request
// ends the program before it is watched.
void WatchStopRequests();

// Gives the stop requests their usual effect again (for the window, which
// has its own Stop); one that arrived meanwhile takes effect now.
void RestoreStopRequests();

// True when a stop request arrived since the last call.
[[nodiscard]] bool TakeStopRequest();

// Writes standard output and error byte for byte: Windows would otherwise
// turn every "\n" into "\r\n".
void UseBinaryStandardStreams();

// Makes an abort end the program with kExitAborted. Without it an abort on
// Windows exits with 3, a code the batch mode gives a meaning; the runtime's
// own abort message is still written first.
void ExitDistinctlyOnAbort();

}  // namespace xkm
