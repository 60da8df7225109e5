#include "core/toolchain/tool_watch.h"

namespace xkm {

ToolWatch::ToolWatch(const AppState& app, Clock::time_point start) : app_(app), start_(start) {}

ChildAction ToolWatch::next(Clock::time_point now) {
  if (app_.StopRequested) {
    if (!stopSeen_) stopSeen_ = now;
    if (app_.StopPresses >= 2) {
      endedByStop_ = true;
      return ChildAction::Kill;
    }
    if (now - *stopSeen_ >= std::chrono::seconds(app_.StopGraceSeconds)) {
      endedByStop_ = true;
      return end(now);
    }
  }
  if (app_.ToolTimeoutSeconds > 0 &&
      now - start_ >= std::chrono::seconds(app_.ToolTimeoutSeconds)) {
    timedOut_ = !endedByStop_;
    return end(now);
  }
  return terminated_ ? end(now) : ChildAction::Wait;
}

ChildAction ToolWatch::end(Clock::time_point now) {
  if (!terminated_) terminated_ = now;
  return now - *terminated_ >= kKillAfter ? ChildAction::Kill : ChildAction::Terminate;
}

}  // namespace xkm
