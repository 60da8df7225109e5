#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xkm::tools {

enum class ImageFormat { kIntelHex, kMotorolaS19 };

// Decided by the file's first non-blank character: ':' Intel-Hex, 'S' S19.
// ToolError (exit 2) for an unreadable file or any other content.
ImageFormat DetectImageFormat(const std::string& path);
const char* ImageFormatName(ImageFormat format);

// Longest range the tools cut in one piece; keeps a mistyped end address from
// filling memory.
inline constexpr std::uint64_t kMaxRangeLength = 64ull * 1024 * 1024;

// The bytes from `start` to `endInclusive`; addresses the image leaves unset
// read as 0xFF.
std::string ReadImageRange(const std::string& path, std::uint32_t start,
                           std::uint32_t endInclusive);

// Writes `bytes` placed at `start` as Intel-Hex text with CR LF line ends,
// replacing `path` in one step.
void WriteIntelHex(const std::string& path, std::uint32_t start, std::string_view bytes);

}  // namespace xkm::tools
