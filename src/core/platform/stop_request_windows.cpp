#include <windows.h>

#include "core/platform/stop_request.h"

namespace xkm {
namespace {

// A console handler gets no context; the one function to call is kept here.
void (*gOnStop)() = nullptr;  // NOLINT: set once before the handler exists

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  if (gOnStop != nullptr) gOnStop();
  return TRUE;
}

}  // namespace

void InstallStopRequestHandler(void (*onStop)()) {
  gOnStop = onStop;
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace xkm
