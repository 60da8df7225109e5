#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xkm {

// SHA-256 (FIPS 180-4), fed in pieces of any size.
class Sha256 {
 public:
  Sha256();
  void update(std::string_view bytes);
  // The digest as 64 lower-case hex digits; the object is spent afterwards.
  std::string hexDigest();

 private:
  void compress(const uint8_t* block);

  std::array<uint32_t, 8> state_;
  std::array<uint8_t, 64> buffer_{};
  size_t buffered_ = 0;
  uint64_t length_ = 0;  // bytes fed so far
};

struct FileDigest {
  uint64_t size = 0;
  std::string sha256;
};

// Size and SHA-256 of a file, read in pieces (inputs may be gigabytes);
// nothing when it cannot be read.
[[nodiscard]] std::optional<FileDigest> DigestFile(const std::string& path);

}  // namespace xkm
