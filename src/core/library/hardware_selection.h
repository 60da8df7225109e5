#pragma once

#include <cstdint>
#include <string>

#include "core/session/data_context.h"

namespace xkm {

// Lookups in the configuration library that choose the ECU's configuration,
// baud rates and address layout. They show nothing: a failure is raised as an
// Error (msg::kNoEcuInLibrary, kNoAddressLayout, kNoFrequencyLabel,
// kNoFrequencyInA2l, kNoBaudConfiguration, or a malformed-library
// msg::kLibrary...) and any other error is passed on unchanged.

int32_t GetEcuConfigNum(DataContext& ctx, const std::string& ecuName);

struct FrequencyConfig {
  std::string label;  // the system constant that holds the system frequency
  int32_t divisor = 0;
};
FrequencyConfig GetFrequencyConfig(DataContext& ctx, int32_t configNum);

struct BaudConfig {
  std::string tester;
  std::string ecu;
};
// Configuration 1: the baud rates of the system frequency.
BaudConfig GetBaudConfigByFrequency(DataContext& ctx);
// Every other configuration: the first fixed entry.
BaudConfig GetBaudConfigFixed(DataContext& ctx);

// The layout of the first ADRESSLAYOUT_CONFIGURATION rule whose conditions
// hold. Records every rule tried in ctx.session.layoutTrace.
std::string GetAddressLayout(DataContext& ctx);

}  // namespace xkm
