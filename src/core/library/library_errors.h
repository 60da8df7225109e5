#pragma once

#include <string>

#include "core/platform/error.h"

namespace xkm {

// Failures of malformed library content. Their numbers lie outside the
// message ids so that the operator can tell a broken library from a lookup
// that found nothing.
inline constexpr int kLibraryMissingAttribute = 62001;
inline constexpr int kLibraryNotANumber = 62002;
inline constexpr int kLibraryDivisorZero = 62003;
inline constexpr int kLibraryConditionWithoutKind = 62004;
inline constexpr int kLibraryConditionColumn = 62005;
inline constexpr int kLibraryMissingTemplate = 62011;
inline constexpr int kLibraryMissingTemplateName = 62012;
inline constexpr int kLibraryMissingTemplateData = 62013;
inline constexpr int kLibraryMissingMimConversion = 62014;
inline constexpr int kLibraryDatablockCountNotANumber = 62015;

inline Error LibraryError(int number, const std::string& text, const std::string& source) {
  return Error(number, "Library: " + text, source);
}

}  // namespace xkm
