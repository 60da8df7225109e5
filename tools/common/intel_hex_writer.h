#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xkm::tools {

// `bytes` placed at `start` as Intel-Hex text: an extended linear address
// record ahead of the first data record and wherever the upper 16 address bits
// change, up to 32 data bytes per record, upper-case hex, CR LF line ends and
// the end-of-file record. ToolError when the data would run past 0xFFFFFFFF.
std::string EncodeIntelHex(std::uint32_t start, std::string_view bytes);

// The same, replacing `path` in one step.
void WriteIntelHex(const std::string& path, std::uint32_t start, std::string_view bytes);

}  // namespace xkm::tools
