#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xkm::tools {

enum class ImageFormat { kIntelHex, kMotorolaS19 };

const char* ImageFormatName(ImageFormat format);

// Longest range the tools cut in one piece; keeps a mistyped end address from
// filling memory.
inline constexpr std::uint64_t kMaxRangeLength = 64ull * 1024 * 1024;

// The bytes an Intel-Hex or S19 file sets, as runs of consecutive addresses.
class HexImage {
 public:
  struct Run {
    std::uint32_t start = 0;
    std::string bytes;
  };

  HexImage(ImageFormat format, std::vector<Run> runs) : format_(format), runs_(std::move(runs)) {}

  ImageFormat format() const { return format_; }
  // Sorted by address, neither overlapping nor touching.
  const std::vector<Run>& runs() const { return runs_; }

  // The bytes from `start` to `endInclusive`; addresses the image leaves unset
  // read as 0xFF.
  std::string range(std::uint32_t start, std::uint32_t endInclusive) const;

 private:
  ImageFormat format_;
  std::vector<Run> runs_;
};

// The format is decided by the first non-blank character: ':' Intel-Hex, 'S'
// S19. ToolError (exit 2) naming the file, and the line where there is one,
// for anything unreadable: other content, a malformed record, or two records
// giving one address different values.
HexImage ParseHexImage(std::string_view text, const std::string& fileName);
HexImage ReadHexImage(const std::string& path);

}  // namespace xkm::tools
