#include "core/platform/error.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <stdexcept>

namespace xkm {

std::string Error::numberAndDescription() const {
  return std::to_string(number_) + " " + description_;
}

namespace platform_error {

Error InvalidProcedureCall(std::string source) {
  return Error(kInvalidProcedureCall, "Invalid procedure call or argument", std::move(source));
}
Error OutOfMemory(std::string source) {
  return Error(kOutOfMemory, "Out of memory", std::move(source));
}
Error Overflow(std::string source) {
  return Error(kOverflow, "Overflow", std::move(source));
}
Error SubscriptOutOfRange(std::string source) {
  return Error(kSubscriptOutOfRange, "Subscript out of range", std::move(source));
}
Error TypeMismatch(std::string source) {
  return Error(kTypeMismatch, "Type mismatch", std::move(source));
}
Error FileNotFound(std::string source) {
  return Error(kFileNotFound, "File not found", std::move(source));
}
Error ObjectDoesNotSupport(std::string source) {
  return Error(kObjectDoesNotSupport, "Object doesn't support this property or method",
               std::move(source));
}

Error FileSystem(int errnoValue, const std::string& path, std::string source) {
  switch (errnoValue) {
    case ENOENT:
      return Error(kFileNotFound, "File not found: " + path, std::move(source));
    case EACCES:
    case EPERM:
      return Error(kPermissionDenied, "Permission denied: " + path, std::move(source));
    case ENOMEM:
      return OutOfMemory(std::move(source));
    default:
      return Error(kPathFileAccess, std::string(std::strerror(errnoValue)) + ": " + path,
                   std::move(source));
  }
}

Error NotARegularFile(const std::string& path, std::string source) {
  return Error(kPathFileAccess, "Not read, a link or no regular file: " + path, std::move(source));
}

}  // namespace platform_error

Error AsError(const std::exception& failure) {
  if (const auto* error = dynamic_cast<const Error*>(&failure)) return *error;
  if (dynamic_cast<const std::bad_alloc*>(&failure) != nullptr ||
      dynamic_cast<const std::length_error*>(&failure) != nullptr)
    return platform_error::OutOfMemory();
  return Error(platform_error::kInternalError, std::string("Internal error: ") + failure.what());
}

}  // namespace xkm
