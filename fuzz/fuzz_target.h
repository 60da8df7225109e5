#pragma once

// XKM_FUZZ_ENTRY(name) opens the body of a target's entry function. In a
// libFuzzer build it is LLVMFuzzerTestOneInput; with XKM_FUZZ_REPLAY defined
// it is a named function registered under `name`, so that one test program
// can compile every target and replay kept inputs through the same code.

#include <cstddef>
#include <cstdint>

#ifdef XKM_FUZZ_REPLAY

#include <map>
#include <string>

namespace xkm::fuzz {

using Entry = int (*)(const uint8_t* data, size_t size);

inline std::map<std::string, Entry>& Targets() {
  static std::map<std::string, Entry> targets;
  return targets;
}

inline bool RegisterTarget(const char* name, Entry entry) {
  Targets()[name] = entry;
  return true;
}

}  // namespace xkm::fuzz

#define XKM_FUZZ_ENTRY(name)                                       \
  int FuzzEntry_##name(const uint8_t* data, size_t size);          \
  [[maybe_unused]] static const bool kFuzzEntryRegistered_##name = \
      ::xkm::fuzz::RegisterTarget(#name, &FuzzEntry_##name);       \
  int FuzzEntry_##name(const uint8_t* data, size_t size)

#else

#define XKM_FUZZ_ENTRY(name) extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)

#endif
