#include "core/platform/text/command_line.h"

#include <algorithm>

namespace xkm {
namespace {

constexpr std::string_view kBlanks = " \t";

bool IsBlank(char c) {
  return kBlanks.find(c) != std::string_view::npos;
}

// The first place at or after `from` that is no blank; the end when none.
size_t SkipBlanks(std::string_view line, size_t from) {
  return std::min(line.find_first_not_of(kBlanks, from), line.size());
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view line) {
  std::vector<std::string> argv;
  const size_t n = line.size();
  // Leading blanks would otherwise give an empty program name.
  size_t p = SkipBlanks(line, 0);
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
    p = SkipBlanks(line, p);
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
