#include "common/container_formats.h"

#include "common/crc32.h"

namespace xkm::tools {

void AppendBigEndian32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

std::uint32_t ReadBigEndian32(std::string_view bytes, std::size_t offset) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i)
    value = (value << 8) | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

std::string EncodeBcb(std::uint32_t start, std::string_view payload) {
  std::string file(kBcbMagic);
  AppendBigEndian32(file, start);
  AppendBigEndian32(file, static_cast<std::uint32_t>(payload.size()));
  file.append(payload);
  return file;
}

std::optional<BcbContent> DecodeBcb(std::string_view file) {
  if (file.size() < kBcbHeaderSize || file.substr(0, 4) != kBcbMagic) return std::nullopt;
  return BcbContent{ReadBigEndian32(file, 4), ReadBigEndian32(file, 8),
                    std::string(file.substr(kBcbHeaderSize))};
}

std::string EncodeSgo(std::string_view content) {
  std::string file = "SGO1";
  AppendBigEndian32(file, static_cast<std::uint32_t>(content.size()));
  AppendBigEndian32(file, Crc32(content));
  file.append(content);
  return file;
}

}  // namespace xkm::tools
