#include <csignal>

#include "core/platform/os/this_process.h"

namespace xkm {
namespace {

// Set by the signal handler, which may do nothing else.
volatile std::sig_atomic_t gStopRequested = 0;

void OnStopSignal(int) {
  gStopRequested = 1;
}

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void WatchStopRequests() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  for (int signal : kStopSignals) sigaction(signal, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
}

void RestoreStopRequests() {
  for (int signal : kStopSignals) ::signal(signal, SIG_DFL);
  if (gStopRequested != 0) ::raise(SIGTERM);
}

bool TakeStopRequest() {
  if (gStopRequested == 0) return false;
  gStopRequested = 0;
  return true;
}

// Text and bytes are the same here.
void UseBinaryStandardStreams() {}

// SIGABRT already ends the program distinctly here.
void ExitDistinctlyOnAbort() {}

}  // namespace xkm
