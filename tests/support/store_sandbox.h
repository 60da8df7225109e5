#pragma once

#include <cstdlib>
#include <optional>
#include <string>

#include "support/scratch_folder.h"

namespace xkm::test {

// Points the operator's store at a scratch folder for the life of the object,
// so that no test touches the real home folder.
class StoreSandbox {
 public:
  StoreSandbox() {
    if (const char* value = std::getenv("XDG_CONFIG_HOME")) previous_ = value;
    setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1);
  }
  ~StoreSandbox() {
    if (previous_)
      setenv("XDG_CONFIG_HOME", previous_->c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }
  StoreSandbox(const StoreSandbox&) = delete;
  StoreSandbox& operator=(const StoreSandbox&) = delete;

  const ScratchFolder& folder() const { return folder_; }
  // The store file of the current-user root.
  std::string currentUserFile() const { return folder_.file("xkmtool/HKEY_CURRENT_USER.reg"); }

 private:
  ScratchFolder folder_;
  std::optional<std::string> previous_;
};

}  // namespace xkm::test
