#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace xkm {

// Seconds since 1970 (UTC) of a trace time: local ISO 8601 with its offset,
// "2026-12-08T07:54:24+0100" (also "+01:00" or "Z"). None when it is not one.
std::optional<int64_t> EpochSecondsOf(std::string_view iso);

// Whether `day` is a date written YYYY-MM-DD.
bool IsIsoDay(std::string_view day);

// The station's local day of a trace time: its first ten characters.
inline std::string_view DayOf(std::string_view iso) {
  return iso.substr(0, 10);
}

}  // namespace xkm
