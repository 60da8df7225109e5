#include "support/child_process.h"

namespace xkm::test {

ChildResult RunChild(const ChildCommand& command) {
  return Child(command).wait();
}

bool UnderAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

std::string QuoteArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) return argument;
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? 2 * backslashes + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, '\\');
  return quoted + "\"";
}

std::string ReplaceMarker(std::string text, const std::string& marker, const std::string& value) {
  for (size_t p = text.find(marker); p != std::string::npos; p = text.find(marker, p)) {
    text.replace(p, marker.size(), value);
    p += value.size();
  }
  return text;
}

}  // namespace xkm::test
