#pragma once

#include <stdexcept>
#include <string>

namespace xkm::tools {

// A failure that ends the tool with `exitCode` after its message went to stderr.
class ToolError : public std::runtime_error {
 public:
  explicit ToolError(const std::string& message, int exitCode = 2)
      : std::runtime_error(message), exitCode_(exitCode) {}
  int exitCode() const { return exitCode_; }

 private:
  int exitCode_;
};

}  // namespace xkm::tools
