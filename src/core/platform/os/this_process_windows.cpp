#include <windows.h>
// Needs the types of windows.h.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "core/platform/os/this_process.h"
#include "core/platform/os/win32_support.h"

namespace xkm {
namespace {

// Set by the console control handler, which runs on a thread of its own.
std::atomic<bool> gStopRequested{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  gStopRequested = true;
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  // The console is closing (or the session ends): Windows ends the program
  // once this handler returns, or after a few seconds. Never returning gives
  // the run all the time Windows allows to stop between two steps and write
  // its report; the program's own end ends this thread too.
  Sleep(INFINITE);
  return TRUE;
}

// What a console program ended by Ctrl+C exits with (STATUS_CONTROL_C_EXIT).
constexpr int kExitStoppedBeforeStart = static_cast<int>(0xC000013A);

[[noreturn]] void OnAbortSignal(int) {
  std::_Exit(kExitAborted);
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(win32::Utf8(wide[i]));
  LocalFree(wide);
  return arguments;
}

void WatchStopRequests() {
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

void RestoreStopRequests() {
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  if (gStopRequested) std::exit(kExitStoppedBeforeStart);
}

bool TakeStopRequest() {
  return gStopRequested.exchange(false);
}

void UseBinaryStandardStreams() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

void ExitDistinctlyOnAbort() {
  std::signal(SIGABRT, OnAbortSignal);
}

}  // namespace xkm
