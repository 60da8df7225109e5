#include "core/platform/regex/regex.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <memory>
#include <string>

#include "core/platform/error.h"

namespace xkm {
namespace {

std::string PcreMessage(int code) {
  PCRE2_UCHAR buffer[256];
  int length = pcre2_get_error_message(code, buffer, sizeof buffer);
  if (length < 0) return "PCRE2 error " + std::to_string(code);
  return std::string(reinterpret_cast<const char*>(buffer), static_cast<size_t>(length));
}

struct MatchDataDeleter {
  void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;

}  // namespace

struct Regex::Impl {
  pcre2_code* code = nullptr;
  ~Impl() { pcre2_code_free(code); }

  MatchData newMatchData() const {
    MatchData data(pcre2_match_data_create_from_pattern(code, nullptr));
    if (!data) throw platform_error::OutOfMemory("RegExp");
    return data;
  }

  // One search from `start`; true on a match, whose bounds are then in the
  // match data's ovector.
  bool search(std::string_view subject, size_t start, pcre2_match_data* data) const {
    // An empty view may carry a null pointer, which PCRE2 refuses.
    auto text = reinterpret_cast<PCRE2_SPTR>(subject.data() ? subject.data() : "");
    int rc = pcre2_match(code, text, subject.size(), start, 0, data, nullptr);
    if (rc == PCRE2_ERROR_JIT_STACKLIMIT) {
      // The interpreter keeps its backtracking state on the heap and copes
      // with subjects the default JIT stack is too small for.
      rc = pcre2_match(code, text, subject.size(), start, PCRE2_NO_JIT, data, nullptr);
    }
    if (rc == PCRE2_ERROR_NOMATCH) return false;
    if (rc < 0) {
      throw Error(platform_error::kInvalidProcedureCall,
                  "Regular expression match failed: " + PcreMessage(rc), "RegExp");
    }
    return true;
  }

  // Global search: each search starts where the previous match ended; after an
  // empty match one character further on, a CR LF pair counting as one.
  template <typename OnMatch>
  void forEach(std::string_view subject, OnMatch onMatch) const {
    MatchData data = newMatchData();
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
    size_t position = 0;
    while (position <= subject.size() && search(subject, position, data.get())) {
      onMatch(data.get());
      size_t next = ovector[1];
      if (ovector[1] <= ovector[0]) {
        size_t from = std::max(next, position);
        bool crlf = from + 1 < subject.size() && subject[from] == '\r' && subject[from + 1] == '\n';
        next = from + (crlf ? 2 : 1);
      }
      position = next;
    }
  }
};

std::string_view Regex::Match::group(std::string_view subject, size_t number) const {
  if (number == 0 || number > groups.size()) return {};
  const Group& g = groups[number - 1];
  if (!g.matched) return {};
  return subject.substr(g.offset, g.length);
}

Regex::Regex(std::string_view pattern, Options options) : impl_(std::make_unique<Impl>()) {
  pcre2_compile_context* context = pcre2_compile_context_create(nullptr);
  if (context == nullptr) throw platform_error::OutOfMemory("RegExp");
  pcre2_set_newline(context, PCRE2_NEWLINE_ANYCRLF);
  // Without multi-line, $ only matches at the very end, as in ECMAScript
  // (PCRE would also match before a final line end).
  uint32_t flags = PCRE2_DOLLAR_ENDONLY;
  if (options.ignoreCase) flags |= PCRE2_CASELESS;
  if (options.multiline) flags |= PCRE2_MULTILINE;
  int errorCode = 0;
  PCRE2_SIZE errorOffset = 0;
  impl_->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), flags,
                              &errorCode, &errorOffset, context);
  pcre2_compile_context_free(context);
  if (impl_->code == nullptr) {
    throw Error(platform_error::kRegexSyntaxError,
                "Syntax error in regular expression: " + PcreMessage(errorCode) + " at offset " +
                    std::to_string(errorOffset) + " in \"" + std::string(pattern) + "\"",
                "RegExp");
  }
  // Without JIT support pcre2_match simply interprets the pattern.
  pcre2_jit_compile(impl_->code, PCRE2_JIT_COMPLETE);
}

Regex::~Regex() = default;
Regex::Regex(Regex&&) noexcept = default;
Regex& Regex::operator=(Regex&&) noexcept = default;

namespace {
Regex::Match ToMatch(pcre2_match_data* data) {
  const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
  uint32_t pairs = pcre2_get_ovector_count(data);
  Regex::Match match;
  match.offset = ovector[0];
  match.length = ovector[1] > ovector[0] ? ovector[1] - ovector[0] : 0;
  match.groups.resize(pairs > 0 ? pairs - 1 : 0);
  for (uint32_t i = 1; i < pairs; ++i) {
    Regex::Group& g = match.groups[i - 1];
    const size_t begin = ovector[size_t{2} * i];
    if (begin == PCRE2_UNSET) continue;
    g.offset = begin;
    g.length = ovector[size_t{2} * i + 1] - begin;
    g.matched = true;
  }
  return match;
}
}  // namespace

std::vector<Regex::Match> Regex::findAll(std::string_view subject) const {
  std::vector<Match> matches;
  if (!impl_) return matches;
  impl_->forEach(subject, [&](pcre2_match_data* data) { matches.push_back(ToMatch(data)); });
  return matches;
}

bool Regex::findFirst(std::string_view subject, Match& match, size_t start) const {
  if (!impl_ || start > subject.size()) return false;
  MatchData data = impl_->newMatchData();
  if (!impl_->search(subject, start, data.get())) return false;
  match = ToMatch(data.get());
  return true;
}

}  // namespace xkm
