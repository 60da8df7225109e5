#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "core/platform/error.h"

// Helpers shared by the platform's *_windows.cpp files (Windows builds only):
// the system's text is UTF-8, the Win32 calls take UTF-16.
namespace xkm::win32 {

std::wstring Wide(std::string_view utf8);

// Owns a HANDLE (void*): closed with the object. INVALID_HANDLE_VALUE and null
// both mean none.
class Handle {
 public:
  Handle() = default;
  explicit Handle(void* handle) : handle_(handle == kInvalid ? nullptr : handle) {}
  ~Handle() { reset(); }
  Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Handle& operator=(Handle&& other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;

  void* get() const { return handle_; }
  bool valid() const { return handle_ != nullptr; }
  explicit operator bool() const { return valid(); }
  void reset() { static_cast<void>(close()); }
  // Closes it now; false when closing failed (a write that did not reach the disk).
  [[nodiscard]] bool close();

 private:
  static inline void* const kInvalid =
      reinterpret_cast<void*>(-1);  // NOLINT(performance-no-int-to-ptr)
  void* handle_ = nullptr;
};

// A HANDLE kept in the integer that the portable headers hold it in.
inline void* AsHandle(intptr_t native) {
  return reinterpret_cast<void*>(native);  // NOLINT(performance-no-int-to-ptr): a HANDLE is kept so
}
std::string Utf8(std::wstring_view wide);

// The errno value that stands for a Win32 error code, so that a failure reads
// (and is numbered) as the same failure does on POSIX; 0 when there is none.
int ErrnoOf(unsigned long win32Error);

// The text strerror gives for that errno value ("Permission denied"), else the
// system's own text with the error's number.
std::string Reason(unsigned long win32Error);

// platform_error::FileSystem for a Win32 error code.
Error FileError(unsigned long win32Error, const std::string& path, std::string source);

}  // namespace xkm::win32
