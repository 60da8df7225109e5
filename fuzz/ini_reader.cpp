// The INI reader on arbitrary bytes, asked for the sections and keys the
// program reads and for a section and a key named in the input itself.

#include "core/platform/os/ini_reader.h"

#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::ini_reader {

// A default no file line can produce.
const std::string kDefault = "\n<default>\n";

// The first "[...]" of the input and the text before the first "=" of the
// line after it, so that the fuzzer can reach the found-key paths.
std::pair<std::string, std::string> NamesInInput(std::string_view input) {
  const size_t open = input.find('[');
  const size_t close = input.find(']', open == std::string_view::npos ? 0 : open);
  if (open == std::string_view::npos || close == std::string_view::npos) return {};
  std::string section(input.substr(open + 1, close - open - 1));
  const size_t lineStart = input.find('\n', close);
  if (lineStart == std::string_view::npos) return {section, {}};
  const std::string_view rest = input.substr(lineStart + 1);
  const size_t equals = rest.find('=');
  const size_t lineEnd = rest.find('\n');
  if (equals == std::string_view::npos || equals > lineEnd) return {section, {}};
  return {section, std::string(rest.substr(0, equals))};
}

int Run(const uint8_t* data, size_t size) {
  static const std::string folder = ScratchFolder("ini_reader");
  const std::string_view input = AsText(data, size);
  const std::string path = WriteScratchFile(folder, "input.ini", input);

  std::vector<std::pair<std::string, std::string>> names = {
      {"System", "ToolConfig"},
      {"Tools", "BRAKEL"},
      {"tools", "lenwatch"},
      {" Tools\t", " QSR "},
      {"", ""},
      {"Userdata", "Count"},
  };
  names.push_back(NamesInInput(input));
  for (const auto& [section, key] : names) {
    const std::string value = ReadPrivateProfileString(path, section, key, kDefault);
    // A value lies within one line.
    if (value != kDefault && value.find('\n') != std::string::npos)
      PropertyFailed("a value spans a line break");
  }
  return 0;
}

}  // namespace xkm::fuzz::ini_reader

XKM_FUZZ_ENTRY(ini_reader) {
  return xkm::fuzz::ini_reader::Run(data, size);
}
