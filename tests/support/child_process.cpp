#include "support/child_process.h"

namespace xkm::test {

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

std::string ReplaceMarker(std::string text, const std::string& marker, const std::string& value) {
  for (size_t p = text.find(marker); p != std::string::npos; p = text.find(marker, p)) {
    text.replace(p, marker.size(), value);
    p += value.size();
  }
  return text;
}

}  // namespace xkm::test
