#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace xkm {

// A compiled regular expression over bytes (PCRE2 with JIT), set up to behave
// like the ECMAScript engine the patterns were written for:
// - `.` matches anything but CR and LF; CR, LF and CR LF are line ends
//   (newline convention ANYCRLF set through the compile context);
// - multi-line: ^ and $ match at every line start and end ($ just before a CR);
// - case-insensitive compares ASCII letters without regard to case;
// - \r \n \t in the pattern text stand for CR, LF and TAB.
// Pattern texts are used as they stand.
class Regex {
 public:
  struct Options {
    bool ignoreCase = false;
    bool multiline = false;
  };

  // A capture group; `matched` is false when the group took no part.
  struct Group {
    size_t offset = 0;
    size_t length = 0;
    bool matched = false;
  };

  struct Match {
    size_t offset = 0;  // zero-based byte offset of the match in the subject
    size_t length = 0;
    std::vector<Group> groups;  // groups[0] is capture 1

    // The text of capture `number` (1-based), empty when it took no part.
    std::string_view group(std::string_view subject, size_t number) const;
  };

  // Throws an Error when the pattern does not compile.
  Regex(std::string_view pattern, Options options);
  ~Regex();
  Regex(Regex&&) noexcept;
  Regex& operator=(Regex&&) noexcept;

  // All non-overlapping matches from left to right (global search). After an
  // empty match the search goes on one byte further. The subject is not copied.
  std::vector<Match> findAll(std::string_view subject) const;

  // The first match at or after `start`, if any.
  bool findFirst(std::string_view subject, Match& match, size_t start = 0) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace xkm
