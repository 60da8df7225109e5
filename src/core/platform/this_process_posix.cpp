#include <csignal>

#include "core/platform/this_process.h"

namespace xkm {
namespace {

// Set by the signal handler, which may do nothing else.
volatile std::sig_atomic_t gStopRequested = 0;

void OnStopSignal(int) {
  gStopRequested = 1;
}

}  // namespace

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void WatchStopRequests() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
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
