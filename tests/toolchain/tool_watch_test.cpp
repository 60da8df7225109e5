#include "core/toolchain/tool_watch.h"

#include <gtest/gtest.h>

#include <tuple>

namespace xkm {
namespace {

using std::chrono::seconds;

// What the watch asks of a running tool, and whether it then counts the
// tool's end as the Stop's (its missing files are no failure) or the time
// limit's.
TEST(ToolWatch, EndsAToolAfterTheGraceAtASecondStopOrPastItsLimit) {
  const struct {
    const char* name;
    bool stop;
    int presses;
    int timeout;                                   // ToolTimeout, 0: none
    int secondsLater;                              // when the watch is asked again
    std::tuple<ChildAction, bool, bool> expected;  // action, ended by stop, timed out
  } rows[] = {
      {"running", false, 0, 0, 100, {ChildAction::Wait, false, false}},
      {"one Stop, within the grace", true, 1, 0, 5, {ChildAction::Wait, false, false}},
      {"one Stop, past the grace", true, 1, 0, 10, {ChildAction::Terminate, true, false}},
      {"a second Stop", true, 2, 0, 0, {ChildAction::Kill, true, false}},
      {"past the time limit", false, 0, 60, 60, {ChildAction::Terminate, false, true}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    AppState app;
    app.StopGraceSeconds = 10;
    app.ToolTimeoutSeconds = row.timeout;
    const ToolWatch::Clock::time_point start{};
    ToolWatch watch(app, start);
    watch.next(start);
    app.StopRequested = row.stop;
    app.StopPresses = row.presses;
    watch.next(start);
    const ChildAction action = watch.next(start + seconds(row.secondsLater));
    EXPECT_EQ(std::make_tuple(action, watch.endedByStop(), watch.timedOut()), row.expected);
  }
}

}  // namespace
}  // namespace xkm
