#include "core/traces/trace_lines.h"

#include <vector>

#include "core/platform/os/file_system.h"

namespace xkm {
namespace {

constexpr size_t kPiece = size_t{1} << 20;

// Gathers the bytes of one line across pieces.
class LineAssembler {
 public:
  explicit LineAssembler(const std::function<void(const TraceLine&)>& each) : each_(each) {}

  void take(std::string_view piece) {
    while (!piece.empty()) {
      const size_t end = piece.find('\n');
      append(piece.substr(0, end));
      if (end == std::string_view::npos) return;
      finish();
      piece.remove_prefix(end + 1);
    }
  }

  // The last line when the file does not end with a line break.
  void flush() {
    if (!line_.empty() || overlong_) finish();
  }

 private:
  void append(std::string_view bytes) {
    if (overlong_) return;
    if (line_.size() + bytes.size() > kLongestTraceLine) {
      overlong_ = true;
      line_.clear();
      line_.shrink_to_fit();
      return;
    }
    line_.append(bytes);
  }

  void finish() {
    ++number_;
    std::string_view text = line_;
    if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
    each_({number_, overlong_ ? std::string_view() : text, overlong_});
    line_.clear();
    overlong_ = false;
  }

  const std::function<void(const TraceLine&)>& each_;
  std::string line_;
  uint64_t number_ = 0;
  bool overlong_ = false;
};

}  // namespace

void ForEachTraceLine(const std::string& path, const std::function<void(const TraceLine&)>& each) {
  fs::SequentialFile file(path);
  std::vector<char> piece(kPiece);
  LineAssembler lines(each);
  while (const size_t got = file.read(piece.data(), piece.size()))
    lines.take(std::string_view(piece.data(), got));
  lines.flush();
}

}  // namespace xkm
