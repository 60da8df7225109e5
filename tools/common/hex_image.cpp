#include "common/hex_image.h"

#include <sys/stat.h>

#include <cstdio>

#include "common/file_io.h"
#include "common/srec_cat.h"
#include "common/text.h"
#include "common/tool_error.h"

namespace xkm::tools {
namespace {

std::string Hex(std::uint64_t value) {
  return "0x" + FormatHex(value, 1);
}

const char* SrecCatFormat(ImageFormat format) {
  return format == ImageFormat::kIntelHex ? "-intel" : "-motorola";
}

}  // namespace

ImageFormat DetectImageFormat(const std::string& path) {
  const std::string bytes = ReadFileBytes(path);
  const std::size_t first = bytes.find_first_not_of(" \t\r\n");
  if (first != std::string::npos && bytes[first] == ':') return ImageFormat::kIntelHex;
  if (first != std::string::npos && bytes[first] == 'S') return ImageFormat::kMotorolaS19;
  throw ToolError(path + " is neither Intel-Hex nor S19");
}

const char* ImageFormatName(ImageFormat format) {
  return format == ImageFormat::kIntelHex ? "Intel-Hex" : "S19";
}

std::string ReadImageRange(const std::string& path, std::uint32_t start,
                           std::uint32_t endInclusive) {
  if (endInclusive < start) throw ToolError("range ends before it starts");
  const std::uint64_t length = std::uint64_t{endInclusive} - start + 1;
  if (length > kMaxRangeLength)
    throw ToolError("range longer than " + Hex(kMaxRangeLength) + " bytes");
  const ImageFormat format = DetectImageFormat(path);

  // Cropped first (srec_cat mangles records that an offset wraps past 2^32),
  // then moved down to address 0 and filled there: srec_cat does not fill
  // reliably at the top of the 32-bit address space.
  TempFile out;
  RunSrecCat({SrecCatPath(path), SrecCatFormat(format), "-crop", Hex(start),
              Hex(std::uint64_t{endInclusive} + 1), "-offset", "-" + Hex(start), "-fill", "0xFF",
              "0", Hex(length), "-o", out.path(), "-binary"});
  std::string bytes = ReadFileBytes(out.path());
  if (bytes.size() != length) throw ToolError("srec_cat returned a range of unexpected length");
  return bytes;
}

void WriteIntelHex(const std::string& path, std::uint32_t start, std::string_view bytes) {
  if (std::uint64_t{start} + bytes.size() > 0x100000000ull) {
    throw ToolError("data runs past the 32-bit address space");
  }
  TempFile data;
  WriteFileAtomic(data.path(), std::string(bytes));
  TempFile hex(FolderOf(path));
  RunSrecCat({data.path(), "-binary", "-offset", Hex(start), "-o", hex.path(), "-intel",
              "-line-termination", "crlf"});
  ::chmod(hex.path().c_str(), 0644);
  if (std::rename(hex.path().c_str(), path.c_str()) != 0) throw ToolError("cannot write " + path);
  hex.release();
}

}  // namespace xkm::tools
