#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xkm::tools {

// BCB file: "BCB1", start address (4 bytes, big-endian), length (4 bytes,
// big-endian), then the block's bytes.
inline constexpr std::string_view kBcbMagic = "BCB1";
inline constexpr std::size_t kBcbHeaderSize = 12;

std::string EncodeBcb(std::uint32_t start, std::string_view payload);

struct BcbContent {
  std::uint32_t start = 0;
  std::uint32_t declaredLength = 0;  // as the header says
  std::string payload;               // what follows the header
};
// nullopt when the bytes are too short for a header or lack the magic.
std::optional<BcbContent> DecodeBcb(std::string_view file);

// SGO file: "SGO1", content length and CRC-32 of the content (4 bytes each,
// big-endian), then the content.
std::string EncodeSgo(std::string_view content);

void AppendBigEndian32(std::string& out, std::uint32_t value);
std::uint32_t ReadBigEndian32(std::string_view bytes, std::size_t offset);

}  // namespace xkm::tools
