#include <csignal>

#include "core/platform/stop_request.h"

namespace xkm {
namespace {

// A signal handler gets no context; the one function to call is kept here.
void (*gOnStop)() = nullptr;  // NOLINT: set once before the handlers exist

void OnStopSignal(int) {
  if (gOnStop != nullptr) gOnStop();
}

}  // namespace

void InstallStopRequestHandler(void (*onStop)()) {
  gOnStop = onStop;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

}  // namespace xkm
