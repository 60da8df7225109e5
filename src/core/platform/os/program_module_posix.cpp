#include <dlfcn.h>

#include "core/platform/os/program_module.h"

namespace xkm {

void* LoadModuleEntry(const std::string& modulePath, const std::string& entryName,
                      std::string& reason) {
  // Never closed: the window's libraries keep threads and handlers of their own.
  void* module = dlopen(modulePath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) {
    reason = dlerror();
    return nullptr;
  }
  void* entry = dlsym(module, entryName.c_str());
  if (entry == nullptr) reason = modulePath + ": no entry " + entryName;
  return entry;
}

}  // namespace xkm
