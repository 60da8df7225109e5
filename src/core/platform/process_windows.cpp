#include "core/platform/error.h"
#include "core/platform/process.h"

namespace xkm {

// Starting tools on Windows is not built yet: a run that needs one fails
// with a numbered error instead of pretending the tool ran.
ProcessOutcome SpawnAndWait(const std::vector<std::string>& /*argv*/,
                            const std::function<void()>& /*whileWaiting*/,
                            std::chrono::milliseconds /*tick*/, ChildOutput /*output*/,
                            ExitNotice /*notice*/) {
  throw Error(platform_error::kInternalError, "Starting a program is not yet supported here",
              "SpawnAndWait");
}

}  // namespace xkm
