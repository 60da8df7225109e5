#include <windows.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "core/platform/os/win32_support.h"

namespace xkm::win32 {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int length =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
  return text;
}

bool Handle::close() {
  if (handle_ == nullptr) return true;
  const bool closed = ::CloseHandle(std::exchange(handle_, nullptr)) != 0;
  return closed;
}

int ErrnoOf(unsigned long win32Error) {
  switch (win32Error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return EACCES;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return ENOMEM;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_DIRECTORY:
      return ENOTDIR;
    default:
      return 0;
  }
}

namespace {

// The system's own words for an error without a POSIX counterpart (a network
// share that went away, a device that is not ready), with its number.
std::string SystemText(unsigned long win32Error) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, win32Error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer != nullptr ? buffer : L"", length);
  if (buffer != nullptr) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                           text.back() == L'.'))
    text.pop_back();
  const std::string number = "Windows error " + std::to_string(win32Error);
  return text.empty() ? number : Utf8(text) + " (" + number + ")";
}

}  // namespace

std::string Reason(unsigned long win32Error) {
  const int error = ErrnoOf(win32Error);
  return error != 0 ? std::strerror(error) : SystemText(win32Error);
}

Error FileError(unsigned long win32Error, const std::string& path, std::string source) {
  const int error = ErrnoOf(win32Error);
  if (error != 0) return platform_error::FileSystem(error, path, std::move(source));
  return Error(platform_error::kPathFileAccess, SystemText(win32Error) + ": " + path,
               std::move(source));
}

}  // namespace xkm::win32
