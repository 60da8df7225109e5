#pragma once

#include <chrono>
#include <ctime>
#include <string>

namespace xkm {

// This machine's name as the network knows it ("?" when it has none).
std::string HostName();

// This process's id.
long ProcessId();

// A moment as the fields of local time.
std::tm LocalCalendarTime(std::time_t when);

// A moment as local time, ISO 8601 with its UTC offset ("2026-12-06T14:20:01+0100"):
// what an operator on another machine can still place in time.
std::string LocalIsoTime(std::chrono::system_clock::time_point when);

}  // namespace xkm
