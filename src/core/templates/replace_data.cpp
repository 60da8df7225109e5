#include "core/templates/replace_data.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <unordered_map>
#include <vector>

#include "core/platform/error.h"
#include "core/platform/text/letter_case.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"
#include "core/session/session.h"
#include "core/templates/placeholder_kinds.h"

namespace xkm {
namespace {

constexpr std::string_view kOpen = "<$";

// Every placeholder's inner text, in text order, duplicates included. A "<$"
// without a ">" after it fails.
std::vector<std::string> CollectPlaceholders(const std::string& text) {
  std::vector<std::string> inners;
  size_t p = 0;
  while (p + 1 < text.size()) {
    size_t open = text.find(kOpen, p);
    if (open == std::string::npos) break;
    size_t close = text.find('>', open + 1);
    if (close == std::string::npos) throw platform_error::InvalidProcedureCall("ReplaceData");
    inners.push_back(text.substr(open + 2, close - open - 2));
    p = close + 1;
  }
  return inners;
}

// The value a placeholder of a known kind names; an unknown kind fails. A
// missing user-info table reads like an empty one.
std::string LookUp(DataContext& ctx, const std::string& kind, const std::string& name) {
  const std::optional<PlaceholderSource> source = SourceOf(kind, ctx.session, ctx.app);
  if (!source) throw platform_error::InvalidProcedureCall("ReplaceData");
  return source->table ? ReadValue(*source->table, name, static_cast<int>(source->column))
                       : std::string();
}

// Follows, over the text built so far, whether a "<$" stands after the last
// ">": a placeholder-shaped text could then still be completed further on.
class OpenPlaceholderTracker {
 public:
  void advance(std::string_view chunk) {
    if (chunk.empty()) return;
    size_t lastClose = chunk.rfind('>');
    if (lastClose != std::string_view::npos) {
      open_ = false;
    } else if (last_ == '<' && chunk.front() == '$') {
      open_ = true;
    }
    std::string_view tail =
        lastClose == std::string_view::npos ? chunk : chunk.substr(lastClose + 1);
    if (tail.find(kOpen) != std::string_view::npos) open_ = true;
    last_ = chunk.back();
  }
  bool open() const { return open_; }
  char last() const { return last_; }

 private:
  bool open_ = false;
  char last_ = 0;
};

// Every occurrence of `search` replaced by `value`, left to right, without
// searching inserted text again. Returns whether the replacement may have
// formed a placeholder-shaped text ("<$", no ">", then ">") that was not in
// the text before. It cannot when the value holds none of "<", "$", ">", no
// "<$" is still open (no ">" after it) where an occurrence starts, and an
// empty value joins no "<" to a "$". A result longer than `limit` fails, with
// the text unchanged.
bool ReplaceOccurrences(std::string& text, std::string_view search, std::string_view value,
                        size_t limit) {
  size_t p = text.find(search);
  if (p == std::string::npos) return false;
  bool mayForm = value.find_first_of("<$>") != std::string_view::npos;
  OpenPlaceholderTracker tracker;
  std::string result;
  result.reserve(text.size());
  size_t start = 0;
  std::string_view source(text);
  while (p != std::string::npos) {
    std::string_view before = source.substr(start, p - start);
    result.append(before);
    if (!mayForm) {
      tracker.advance(before);
      size_t after = p + search.size();
      bool joins =
          value.empty() && tracker.last() == '<' && after < source.size() && source[after] == '$';
      mayForm = tracker.open() || joins;
      tracker.advance(value);
    }
    result.append(value);
    if (result.size() > limit) throw platform_error::Overflow("ReplaceData");
    start = p + search.size();
    p = source.find(search, start);
  }
  result.append(source.substr(start));
  if (result.size() > limit) throw platform_error::Overflow("ReplaceData");
  text.swap(result);
  return mayForm;
}

// One row's work: every occurrence of `search` becomes `value`.
struct Replacement {
  std::string search;
  std::string value;
};

// The rows' replacements in row order, up to a failing row; its error is kept
// in `failure`, since what the rows before it do still belongs to the text.
std::vector<Replacement> PlanReplacements(DataContext& ctx, const std::vector<std::string>& inners,
                                          std::exception_ptr& failure) {
  std::vector<Replacement> plan;
  try {
    for (const std::string& var : inners) {
      std::string_view inner = TrimBlanks(var);
      std::string name;
      std::string kind;
      if (!SplitPlaceholder(inner, name, kind)) continue;
      std::string value = LookUp(ctx, ToUpperCase(kind), name);
      plan.push_back({std::string(kOpen) + ToUpperCase(inner) + ">", std::move(value)});
    }
  } catch (const Error&) {
    // A row's own failure (an unknown kind, a table refusing the name); the
    // rows before it still take effect. Anything else, memory running out
    // included, is no failure of a row and goes on unchanged.
    failure = std::current_exception();
  }
  return plan;
}

// Row by row, as the rows come. A search text already replaced is found
// again only where a replacement since then formed it anew; `formations`
// counts the replacements that might have, and a row is skipped when none
// happened since its search text was last replaced.
void ReplaceRowByRow(std::string& text, const std::vector<Replacement>& plan, size_t limit) {
  uint64_t formations = 0;
  std::unordered_map<std::string_view, uint64_t> replacedAt;
  for (const Replacement& r : plan) {
    auto [entry, first] = replacedAt.try_emplace(r.search, formations);
    if (!first && entry->second == formations) continue;
    entry->second = formations;
    if (ReplaceOccurrences(text, r.search, r.value, limit)) ++formations;
  }
}

// True when every "<$" is closed by a ">" before the next "<$" and none
// follows a "<". Replacing whole placeholders of such a text by values
// without "<", "$" or ">" can then never form a new one.
bool PlaceholdersStandAlone(std::string_view text) {
  bool open = false;
  for (size_t i = text.find_first_of("<>"); i != std::string_view::npos;
       i = text.find_first_of("<>", i + 1)) {
    if (text[i] == '>') {
      open = false;
    } else if (i + 1 < text.size() && text[i + 1] == '$') {
      if (open || (i > 0 && text[i - 1] == '<')) return false;
      open = true;
    }
  }
  return true;
}

bool ValuesAreInert(const std::vector<Replacement>& plan) {
  for (const Replacement& r : plan)
    if (r.value.find_first_of("<$>") != std::string::npos) return false;
  return true;
}

// The same result as row by row when nothing can form anew: each placeholder
// gets the value of the first row with its search text, in one pass. Returns
// false, with the text unchanged, when some row might pass the length limit
// (the text plus every growth counted, shrinking ignored): row by row then
// finds the row that fails.
bool ReplaceInOnePass(std::string& text, const std::vector<Replacement>& plan, size_t limit) {
  std::unordered_map<std::string_view, std::string_view> values;
  for (const Replacement& r : plan) values.try_emplace(r.search, r.value);
  std::string_view source(text);
  std::string result;
  result.reserve(text.size());
  size_t copied = 0;
  size_t grownBound = text.size();
  for (size_t open = source.find(kOpen); open != std::string_view::npos;) {
    size_t close = source.find('>', open + 2);
    if (close == std::string_view::npos) break;  // collecting has refused such a text
    auto value = values.find(source.substr(open, close + 1 - open));
    if (value != values.end()) {
      const size_t length = close + 1 - open;
      if (value->second.size() > length) grownBound += value->second.size() - length;
      if (grownBound > limit) return false;
      result.append(source.substr(copied, open - copied));
      result.append(value->second);
      copied = close + 1;
    }
    open = source.find(kOpen, close + 1);
  }
  result.append(source.substr(copied));
  text.swap(result);
  return true;
}

void ReplacePlaceholders(DataContext& ctx, std::string& text) {
  text = std::string(TrimBlanks(text));
  std::vector<std::string> inners = CollectPlaceholders(text);
  std::exception_ptr failure;
  std::vector<Replacement> plan = PlanReplacements(ctx, inners, failure);
  const size_t limit = std::max(kMaxReplacedTextLength, text.size());
  if (!ValuesAreInert(plan) || !PlaceholdersStandAlone(text) ||
      !ReplaceInOnePass(text, plan, limit))
    ReplaceRowByRow(text, plan, limit);
  if (failure) std::rethrow_exception(failure);
}

}  // namespace

bool SplitPlaceholder(std::string_view inner, std::string& name, std::string& kind) {
  name.clear();
  kind.clear();
  if (TrimBlanks(inner).empty()) return true;
  const std::vector<std::string_view> parts = SplitAt(inner, '.');
  if (parts.size() == 1) return false;
  if (parts.size() == 2) {
    kind = parts[0];
    name = parts[1];
  } else if (parts.size() == 3) {
    kind = parts[0];
    name = std::string(parts[1]) + "." + std::string(parts[2]);
  }
  return true;
}

void ReplaceData(DataContext& ctx, std::string& text) {
  try {
    ReplacePlaceholders(ctx, text);
  } catch (const Error&) {
    // Every failure of the substitution itself is numbered; memory running
    // out is not one of them and keeps its own number.
    throw Error(msg::kReplaceDataFailed, ctx.message(msg::kReplaceDataFailed), "ReplaceData");
  }
}

}  // namespace xkm
