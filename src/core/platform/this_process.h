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
// TakeStopRequest instead of ending it: SIGINT and SIGTERM; on Windows
// Ctrl+C, Ctrl+Break and closing the console window. A console that is being
// closed allows the program only a few seconds to end by itself.
void WatchStopRequests();

// True when a stop request arrived since the last call.
bool TakeStopRequest();

// Writes standard output and error byte for byte: Windows would otherwise
// turn every "\n" into "\r\n".
void UseBinaryStandardStreams();

// Makes an abort end the program with kExitAborted. Without it an abort on
// Windows exits with 3, a code the batch mode gives a meaning; the runtime's
// own abort message is still written first.
void ExitDistinctlyOnAbort();

}  // namespace xkm
