#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "core/platform/os/system_info.h"
#include "core/platform/os/win32_support.h"

namespace xkm {

std::string HostName() {
  wchar_t name[256] = {};
  DWORD length = 256;
  if (!::GetComputerNameExW(ComputerNameDnsHostname, name, &length) || length == 0) return "?";
  return win32::Utf8(std::wstring_view(name, length));
}

long ProcessId() {
  return static_cast<long>(::GetCurrentProcessId());
}

std::tm LocalCalendarTime(std::time_t when) {
  std::tm local{};
  localtime_s(&local, &when);
  return local;
}

std::string LocalIsoTime(std::chrono::system_clock::time_point when) {
  const std::time_t seconds = std::chrono::system_clock::to_time_t(when);
  std::tm local = LocalCalendarTime(seconds);
  // The C runtime's %z writes the zone's name, not its offset: the offset is
  // the local fields read as if they were UTC, less the moment itself.
  const long offsetMinutes = static_cast<long>(_mkgmtime(&local) - seconds) / 60;
  local = LocalCalendarTime(seconds);
  char buffer[40];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S", &local);
  char zone[8];
  std::snprintf(zone, sizeof zone, "%c%02ld%02ld", offsetMinutes < 0 ? '-' : '+',
                std::labs(offsetMinutes) / 60, std::labs(offsetMinutes) % 60);
  return std::string(buffer) + zone;
}

}  // namespace xkm
