// The logistic-data step on arbitrary XML as the input file. The step shows
// its failures and never raises, so anything that escapes it is a finding.

#include "core/session/session.h"
#include "core/toolchain/tool_chain.h"
#include "fuzz_support.h"
#include "fuzz_target.h"

namespace xkm::fuzz::logistic_data {

int Run(const uint8_t* data, size_t size) {
  static const std::string folder = ScratchFolder("logistic_data");

  AppState app;
  app.InputXmlPath = WriteScratchFile(folder, "flowdata.xml", AsText(data, size));
  Session session;
  KeepingHost host;
  Context ctx{app, session, host};
  InitSessionTables(session);
  clsToolChain chain(ctx, [](const std::string&) {});
  chain.CallByName("READ_LOGISTIC_DATA");
  return 0;
}

}  // namespace xkm::fuzz::logistic_data

XKM_FUZZ_ENTRY(logistic_data) {
  return xkm::fuzz::logistic_data::Run(data, size);
}
