#pragma once

#include <chrono>
#include <optional>

#include "core/platform/os/process.h"
#include "core/session/app_state.h"

namespace xkm {

// Decides, while a tool runs, whether it must be ended: after a Stop once the
// grace period has passed (a second Stop at once), or when it runs past the
// time limit. An ended tool is asked to end first and killed if it has not
// ended kKillAfter later.
class ToolWatch {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kKillAfter{3};

  ToolWatch(const AppState& app, Clock::time_point start);

  ChildAction next(Clock::time_point now);
  ChildControl control() {
    return [this] { return next(Clock::now()); };
  }

  bool endedByStop() const { return endedByStop_; }
  bool timedOut() const { return timedOut_; }

 private:
  ChildAction end(Clock::time_point now);

  const AppState& app_;
  Clock::time_point start_;
  std::optional<Clock::time_point> stopSeen_;
  std::optional<Clock::time_point> terminated_;
  bool endedByStop_ = false;
  bool timedOut_ = false;
};

}  // namespace xkm
