#include <stdexcept>

#include "support/child_process.h"

namespace xkm::test {

// Children are not started on Windows yet: a test that needs one fails
// with this message rather than passing without having run anything.
Child::Child(const ChildCommand& command) : timeLimit_(command.timeLimit) {
  throw std::runtime_error("child processes are not supported on Windows yet: " +
                           (command.argv.empty() ? std::string() : command.argv.front()));
}

Child::~Child() = default;

void Child::signal(int /*number*/) const {}

ChildResult Child::wait() {
  return {};
}

ChildResult RunChild(const ChildCommand& command) {
  return Child(command).wait();
}

}  // namespace xkm::test
