#include "common/hex_image.h"

#include <algorithm>

#include "common/file_io.h"
#include "common/hex_records.h"
#include "common/text.h"
#include "common/tool_error.h"

namespace xkm::tools {
namespace {

std::uint64_t EndOf(std::uint32_t start, const std::string& bytes) {
  return std::uint64_t{start} + bytes.size();
}

// Pieces sorted by address and joined into runs. Where pieces overlap, they
// must agree byte for byte.
std::vector<HexImage::Run> JoinPieces(std::vector<DataPiece> pieces, const std::string& fileName) {
  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const DataPiece& a, const DataPiece& b) { return a.address < b.address; });
  std::vector<HexImage::Run> runs;
  for (DataPiece& piece : pieces) {
    if (runs.empty() || piece.address > EndOf(runs.back().start, runs.back().bytes)) {
      runs.push_back({piece.address, std::move(piece.bytes)});
      continue;
    }
    std::string& run = runs.back().bytes;
    const std::size_t at = piece.address - runs.back().start;
    const std::size_t overlap = std::min(run.size() - at, piece.bytes.size());
    for (std::size_t i = 0; i < overlap; ++i) {
      if (run[at + i] != piece.bytes[i]) {
        RecordLine{fileName, piece.line}.fail("the byte at 0x" + FormatHex(piece.address + i, 8) +
                                              " differs from another record's");
      }
    }
    run.append(piece.bytes, overlap);
  }
  return runs;
}

}  // namespace

const char* ImageFormatName(ImageFormat format) {
  return format == ImageFormat::kIntelHex ? "Intel-Hex" : "S19";
}

std::string HexImage::range(std::uint32_t start, std::uint32_t endInclusive) const {
  if (endInclusive < start) throw ToolError("range ends before it starts");
  const std::uint64_t end = std::uint64_t{endInclusive} + 1;
  if (end - start > kMaxRangeLength)
    throw ToolError("range longer than 0x" + FormatHex(kMaxRangeLength, 1) + " bytes");
  std::string bytes(end - start, '\xFF');
  // The first run that ends after `start`.
  auto run = std::partition_point(runs_.begin(), runs_.end(),
                                  [&](const Run& r) { return EndOf(r.start, r.bytes) <= start; });
  for (; run != runs_.end() && run->start < end; ++run) {
    const std::uint64_t from = std::max<std::uint64_t>(run->start, start);
    const std::uint64_t to = std::min(EndOf(run->start, run->bytes), end);
    bytes.replace(from - start, to - from, run->bytes, from - run->start, to - from);
  }
  return bytes;
}

HexImage ParseHexImage(std::string_view text, const std::string& fileName) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first != std::string_view::npos && text[first] == ':')
    return HexImage(ImageFormat::kIntelHex,
                    JoinPieces(ReadIntelHexRecords(text, fileName), fileName));
  if (first != std::string_view::npos && text[first] == 'S')
    return HexImage(ImageFormat::kMotorolaS19, JoinPieces(ReadSRecords(text, fileName), fileName));
  throw ToolError(fileName + " is neither Intel-Hex nor S19");
}

HexImage ReadHexImage(const std::string& path) {
  return ParseHexImage(ReadFileBytes(path), path);
}

}  // namespace xkm::tools
