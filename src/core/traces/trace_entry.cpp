#include "core/traces/trace_entry.h"

#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "core/traces/trace_time.h"

namespace xkm {
namespace {

using Json = nlohmann::json;

// Where in the line a value stands; only the places the report reads.
enum class Place {
  Other,
  Root,
  Inputs,
  Input,
  AtEnd,
  Container,
  Report,
  Steps,
  Step,
  Tools,
  Tool,
  Messages,
  Message,
};

// The number a message text begins with ("60048 The input …"), else 0.
int MessageNumber(std::string_view text) {
  int number = 0;
  size_t i = 0;
  for (; i < text.size() && i < 9 && text[i] >= '0' && text[i] <= '9'; ++i)
    number = number * 10 + (text[i] - '0');
  const bool ended = i == text.size() || text[i] == ' ';
  return i > 0 && ended ? number : 0;
}

// The line's fields as they stream past; a DOM of every line would cost
// more than the whole report needs.
class EntryReader : public nlohmann::json_sax<Json> {
 public:
  explicit EntryReader(TraceEntry& entry) : entry_(entry) {}

  const std::string& error() const { return error_; }

  bool null() override { return scalar(Scalar{}); }
  bool boolean(bool value) override {
    Scalar s;
    s.isBool = true;
    s.flag = value;
    return scalar(s);
  }
  bool number_integer(number_integer_t value) override { return number(value); }
  bool number_unsigned(number_unsigned_t value) override {
    return number(value > static_cast<number_unsigned_t>(INT64_MAX) ? INT64_MAX
                                                                    : static_cast<int64_t>(value));
  }
  bool number_float(number_float_t value, const string_t&) override {
    // A value past int64's range (1e300) must not reach the cast; as -1 it
    // is no duration.
    constexpr auto kLimit = static_cast<number_float_t>(INT64_MAX / 2);
    return number(std::abs(value) < kLimit ? static_cast<int64_t>(value) : -1);
  }
  bool string(string_t& value) override {
    Scalar s;
    s.text = &value;
    return scalar(s);
  }
  bool binary(binary_t&) override { return true; }
  bool key(string_t& name) override {
    key_ = name;
    return true;
  }
  bool start_object(std::size_t) override { return open(true); }
  bool end_object() override { return close(); }
  bool start_array(std::size_t) override { return open(false); }
  bool end_array() override { return close(); }
  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception&) override {
    error_ = "not JSON (at byte " + std::to_string(position) + ")";
    return false;
  }

 private:
  struct Scalar {
    const std::string* text = nullptr;
    std::optional<int64_t> number;
    bool isBool = false;
    bool flag = false;
  };

  Place here() const { return stack_.empty() ? Place::Other : stack_.back(); }

  // The place a new object or array opens, from the place and key around it.
  Place child(bool object) const {
    switch (here()) {
      case Place::Other:
        return stack_.empty() && object ? Place::Root : Place::Other;
      case Place::Root:
        if (object && key_ == "inputs") return Place::Inputs;
        if (object && key_ == "container") return Place::Container;
        if (object && key_ == "report") return Place::Report;
        if (!object && key_ == "steps") return Place::Steps;
        if (!object && key_ == "tools") return Place::Tools;
        if (!object && key_ == "messages") return Place::Messages;
        return Place::Other;
      case Place::Inputs:
        return object ? Place::Input : Place::Other;
      case Place::Input:
        return object && key_ == "atEnd" ? Place::AtEnd : Place::Other;
      case Place::Steps:
        return object ? Place::Step : Place::Other;
      case Place::Tools:
        return object ? Place::Tool : Place::Other;
      case Place::Messages:
        return object ? Place::Message : Place::Other;
      default:
        return Place::Other;
    }
  }

  bool open(bool object) {
    const Place place = child(object);
    switch (place) {
      case Place::Input:
        input_ = key_;
        break;
      case Place::AtEnd:
        entry_.changedInputs.push_back(input_);
        break;
      case Place::Steps:
        entry_.hasSteps = true;
        break;
      case Place::Step:
        stepName_.clear();
        stepError_.clear();
        break;
      case Place::Tools:
        entry_.hasTools = true;
        break;
      case Place::Tool:
        entry_.tools.emplace_back();
        break;
      case Place::Messages:
        entry_.hasMessages = true;
        break;
      case Place::Report:
        reportPath_.clear();
        reportWritten_ = true;
        break;
      default:
        break;
    }
    stack_.push_back(place);
    return true;
  }

  bool close() {
    const Place place = here();
    stack_.pop_back();
    if (place == Place::Step) {
      entry_.lastStep = stepName_;
      entry_.lastStepError = stepError_;
    } else if (place == Place::Report && !reportWritten_) {
      entry_.lostReport = reportPath_.empty() ? "(unnamed)" : reportPath_;
    }
    return true;
  }

  bool number(int64_t value) {
    Scalar s;
    s.number = value;
    return scalar(s);
  }

  static void Take(const Scalar& s, std::string& field) {
    if (s.text) field = *s.text;
  }

  bool scalar(const Scalar& s) {
    switch (here()) {
      case Place::Root:
        root(s);
        break;
      case Place::Input:
        if (input_ == "hex" && key_ == "path") Take(s, entry_.image);
        break;
      case Place::Container:
        if (key_ == "path") Take(s, entry_.container);
        break;
      case Place::Report:
        if (key_ == "path") Take(s, reportPath_);
        if (key_ == "written" && s.isBool) reportWritten_ = s.flag;
        break;
      case Place::Step:
        if (key_ == "name") Take(s, stepName_);
        if (key_ == "error") Take(s, stepError_);
        break;
      case Place::Tool:
        tool(s, entry_.tools.back());
        break;
      case Place::Message:
        if (key_ == "text" && s.text) {
          entry_.messageNumbers.push_back(MessageNumber(*s.text));
          entry_.messages.push_back(*s.text);
        }
        break;
      default:
        break;
    }
    return true;
  }

  void root(const Scalar& s) {
    if (key_ == "start") Take(s, entry_.start);
    if (key_ == "host") Take(s, entry_.host);
    if (key_ == "ecu") Take(s, entry_.ecu);
    if (key_ == "layout") Take(s, entry_.layout);
    if (key_ == "outcome") Take(s, entry_.outcome);
  }

  void tool(const Scalar& s, TraceTool& tool) const {
    if (key_ == "step") Take(s, tool.step);
    if (key_ == "tool") Take(s, tool.tool);
    if (key_ == "result") Take(s, tool.result);
    if (key_ == "exitCode") tool.exitCode = s.number;
    if (key_ == "signal") tool.signal = s.number;
    if (key_ == "durationMs" && s.number) tool.durationMs = *s.number;
  }

  TraceEntry& entry_;
  std::vector<Place> stack_;
  std::string key_;
  std::string input_;
  std::string stepName_;
  std::string stepError_;
  std::string reportPath_;
  bool reportWritten_ = true;
  std::string error_;
};

bool KnownOutcome(const std::string& outcome) {
  return outcome == "completed" || outcome == "failed" || outcome == "stopped";
}

// What a line that parsed lacks to be a trace line, else empty.
std::string Missing(const TraceEntry& entry) {
  if (!EpochSecondsOf(entry.start)) return "no \"start\" time";
  if (entry.host.empty()) return "no \"host\"";
  if (!KnownOutcome(entry.outcome)) return "no known \"outcome\"";
  if (!entry.hasSteps) return "no \"steps\"";
  if (!entry.hasTools) return "no \"tools\"";
  if (!entry.hasMessages) return "no \"messages\"";
  for (const TraceTool& tool : entry.tools)
    if (tool.tool.empty() || tool.durationMs < 0) return "a tool without name or duration";
  return {};
}

}  // namespace

void TraceEntry::clear() {
  for (std::string* field : {&start, &host, &ecu, &layout, &outcome, &container, &image, &lastStep,
                             &lastStepError, &lostReport})
    field->clear();
  tools.clear();
  messages.clear();
  messageNumbers.clear();
  changedInputs.clear();
  hasSteps = hasTools = hasMessages = false;
}

RunKind TraceEntry::kind() const {
  if (outcome == "failed") return RunKind::Failed;
  if (outcome == "stopped") return RunKind::Stopped;
  return messageNumbers.empty() ? RunKind::Completed : RunKind::CompletedWithMessages;
}

std::string ReadTraceEntry(std::string_view line, TraceEntry& entry) {
  entry.clear();
  EntryReader reader(entry);
  if (!Json::sax_parse(line.begin(), line.end(), &reader)) return reader.error();
  return Missing(entry);
}

}  // namespace xkm
