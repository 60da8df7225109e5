#include <cstdlib>

#include "support/store_sandbox.h"

namespace xkm::test {

StoreSandbox::StoreSandbox() {
  if (const char* value = std::getenv("XDG_CONFIG_HOME")) previous_ = value;
  setenv("XDG_CONFIG_HOME", folder_.path().c_str(), 1);
}

StoreSandbox::~StoreSandbox() {
  if (previous_)
    setenv("XDG_CONFIG_HOME", previous_->c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

}  // namespace xkm::test
