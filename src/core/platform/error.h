#pragma once

#include <exception>
#include <string>

namespace xkm {

// The one failure type of the system: a number and a description, as the
// operator sees them ("<number> <description>"), and the routine it came from.
class Error : public std::exception {
 public:
  Error(int number, std::string description, std::string source = {})
      : number_(number), description_(std::move(description)), source_(std::move(source)) {}

  int number() const noexcept { return number_; }
  const std::string& description() const noexcept { return description_; }
  const std::string& source() const noexcept { return source_; }
  const char* what() const noexcept override { return description_.c_str(); }

  // "<number> <description>", the text of the "Error" boxes.
  std::string numberAndDescription() const;

 private:
  int number_;
  std::string description_;
  std::string source_;
};

// Numbers and texts of the platform's own run-time errors. The numbered
// messages of the system itself are named in core/resources/message_ids.h.
namespace platform_error {
inline constexpr int kInvalidProcedureCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kSubscriptOutOfRange = 9;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInternalError = 51;
inline constexpr int kFileNotFound = 53;
inline constexpr int kFileAlreadyExists = 58;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kObjectVariableNotSet = 91;
inline constexpr int kBadFileFormat = 321;  // a stored file that cannot be parsed
inline constexpr int kResourceNotFound = 326;
inline constexpr int kObjectDoesNotSupport = 438;
inline constexpr int kItemNotFound = 3265;               // a table has no such column
inline constexpr int kObjectAlreadyInCollection = 3367;  // a table has that column already
inline constexpr int kRegexSyntaxError = 5017;           // a pattern that does not compile

Error InvalidProcedureCall(std::string source = {});
Error OutOfMemory(std::string source = {});
Error Overflow(std::string source = {});
Error SubscriptOutOfRange(std::string source = {});
Error TypeMismatch(std::string source = {});
Error FileNotFound(std::string source = {});
Error ObjectDoesNotSupport(std::string source = {});
// An operating-system failure on a file, with the file named in the text.
Error FileSystem(int errnoValue, const std::string& path, std::string source = {});
// A link or special file where a regular file is read without following links.
Error NotARegularFile(const std::string& path, std::string source = {});
}  // namespace platform_error

// The numbered error that a failure of any kind stands for: an Error as it is,
// memory exhaustion (a refused allocation, or a request larger than any
// allocation can be) as 7 "Out of memory", anything else as 51 with its text.
Error AsError(const std::exception& failure);

}  // namespace xkm
