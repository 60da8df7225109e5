// The sample tools' hex reader on arbitrary bytes as an image file, then the
// writer on what it read: the runs must be sorted, apart and non-empty, and
// each run written as Intel-Hex must read back to itself.

#include "common/hex_image.h"

#include <optional>
#include <string>

#include "common/intel_hex_writer.h"
#include "common/tool_error.h"
#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::hex_image {

using tools::HexImage;

void CheckRuns(const HexImage& image) {
  std::uint64_t previousEnd = 0;
  bool first = true;
  for (const HexImage::Run& run : image.runs()) {
    if (run.bytes.empty()) PropertyFailed("an empty run");
    if (!first && run.start <= previousEnd) PropertyFailed("runs out of order or touching");
    previousEnd = std::uint64_t{run.start} + run.bytes.size();
    if (previousEnd > 0x100000000ull) PropertyFailed("a run past 0xFFFFFFFF");
    first = false;
  }
}

void CheckRoundTrip(const HexImage::Run& run) {
  const HexImage back = tools::ParseHexImage(tools::EncodeIntelHex(run.start, run.bytes), "out");
  if (back.runs().size() != 1 || back.runs()[0].start != run.start ||
      back.runs()[0].bytes != run.bytes) {
    PropertyFailed("a written run did not read back to itself");
  }
  const std::uint32_t last = static_cast<std::uint32_t>(run.start + (run.bytes.size() - 1));
  if (back.range(run.start, last) != run.bytes)
    PropertyFailed("the range of a run differs from it");
}

int Run(const uint8_t* data, size_t size) {
  std::optional<HexImage> image;
  try {
    image.emplace(tools::ParseHexImage(AsText(data, size), "fuzz"));
  } catch (const tools::ToolError&) {
    return 0;  // refusing malformed input is the reader's job
  }
  CheckRuns(*image);
  for (const HexImage::Run& run : image->runs()) {
    try {
      CheckRoundTrip(run);
    } catch (const tools::ToolError&) {
      PropertyFailed("a run the reader made could not be written and read back");
    }
  }
  return 0;
}

}  // namespace xkm::fuzz::hex_image

XKM_FUZZ_ENTRY(hex_image) {
  return xkm::fuzz::hex_image::Run(data, size);
}
