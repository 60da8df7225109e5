#include "core/platform/text/command_line.h"

namespace xkm {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> argv;
  size_t p = 0;
  const size_t n = line.size();
  // Leading blanks would otherwise give an empty program name.
  while (p < n && IsBlank(line[p])) ++p;
  if (p == n) return argv;

  // The program name: quotes group and are dropped; backslashes are literal,
  // since a path is expected here.
  std::string program;
  bool inQuotes = false;
  for (; p < n && (inQuotes || !IsBlank(line[p])); ++p) {
    if (line[p] == '"') {
      inQuotes = !inQuotes;
    } else {
      program += line[p];
    }
  }
  argv.push_back(std::move(program));

  while (true) {
    while (p < n && IsBlank(line[p])) ++p;
    if (p == n) break;
    std::string arg;
    inQuotes = false;
    while (p < n) {
      size_t backslashes = 0;
      while (p < n && line[p] == '\\') ++backslashes, ++p;
      if (p < n && line[p] == '"') {
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          arg += '"';
        } else if (inQuotes && p + 1 < n && line[p + 1] == '"') {
          arg += '"';
          ++p;
        } else {
          inQuotes = !inQuotes;
        }
        ++p;
        continue;
      }
      arg.append(backslashes, '\\');
      if (p == n || (!inQuotes && IsBlank(line[p]))) break;
      arg += line[p++];
    }
    argv.push_back(std::move(arg));
  }
  return argv;
}

}  // namespace xkm
