// The window as a module of its own, which the Linux program loads only when
// it opens the window: a batch run then never loads Qt.
#include "gui/gui_main.h"

extern "C" __attribute__((visibility("default"))) int XkmRunWindow(int argc, char** argv,
                                                                   const char* commandLine) {
  return xkm::RunGui(argc, argv, commandLine);
}
