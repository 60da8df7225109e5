#include <unistd.h>

#include <climits>
#include <ctime>

#include "core/platform/os/system_info.h"

namespace xkm {

std::string HostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "?";
  return name;
}

long ProcessId() {
  return static_cast<long>(::getpid());
}

std::tm LocalCalendarTime(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  return local;
}

std::string LocalIsoTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  const std::tm local = LocalCalendarTime(seconds);
  char buffer[40];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S%z", &local);
  return buffer;
}

}  // namespace xkm
