#include <windows.h>

#include "core/platform/os/program_module.h"
#include "core/platform/os/win32_support.h"

namespace xkm {

void* LoadModuleEntry(const std::string& modulePath, const std::string& entryName,
                      std::string& reason) {
  // Never freed: the window's libraries keep threads and handlers of their own.
  HMODULE module = LoadLibraryW(win32::Wide(modulePath).c_str());
  if (module == nullptr) {
    reason = modulePath + ": " + win32::Reason(GetLastError());
    return nullptr;
  }
  FARPROC entry = GetProcAddress(module, entryName.c_str());
  if (entry == nullptr) {
    reason = modulePath + ": no entry " + entryName;
    return nullptr;
  }
  return reinterpret_cast<void*>(entry);  // NOLINT: the caller casts it back to its type
}

}  // namespace xkm
