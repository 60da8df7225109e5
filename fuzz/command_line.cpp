// The command-line splitter on arbitrary text, and the round trip of quoting:
// arguments quoted with QuoteArgument and joined behind a program name split
// back into exactly those arguments. The input's NUL bytes separate the
// arguments of the round trip, so none of them holds a NUL.

#include "core/platform/text/command_line.h"

#include <string>
#include <vector>

#include "core/toolchain/command_text.h"
#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::command_line {

std::vector<std::string> SplitAtEveryNul(std::string_view input) {
  std::vector<std::string> parts;
  for (;;) {
    const size_t nul = input.find('\0');
    parts.emplace_back(input.substr(0, nul));
    if (nul == std::string_view::npos) return parts;
    input.remove_prefix(nul + 1);
  }
}

int Run(const uint8_t* data, size_t size) {
  const std::string_view input = AsText(data, size);
  SplitCommandLine(input);

  const std::vector<std::string> arguments = SplitAtEveryNul(input);
  std::string line = "tool";
  for (const std::string& argument : arguments) line += " " + QuoteArgument(argument);
  std::vector<std::string> argv = SplitCommandLine(line);
  if (argv.empty() || argv.front() != "tool") PropertyFailed("the program name did not survive");
  argv.erase(argv.begin());
  if (argv != arguments) PropertyFailed("quoted arguments do not split back into themselves");
  return 0;
}

}  // namespace xkm::fuzz::command_line

XKM_FUZZ_ENTRY(command_line) {
  return xkm::fuzz::command_line::Run(data, size);
}
