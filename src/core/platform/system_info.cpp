#include "core/platform/system_info.h"

#include <unistd.h>

#include <climits>
#include <ctime>

namespace xkm {

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "?";
  return name;
}

long ProcessId() {
  return static_cast<long>(::getpid());
}

std::string LocalIsoTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&seconds, &local);
  char buffer[40];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S%z", &local);
  return buffer;
}

}  // namespace xkm
