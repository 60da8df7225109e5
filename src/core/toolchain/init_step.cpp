#include "core/platform/error.h"
#include "core/resources/message_ids.h"
#include "core/toolchain/folder_claim.h"
#include "core/toolchain/prepare_session.h"
#include "core/toolchain/tool_chain.h"

namespace xkm {

namespace {}

// Announces the inputs, claims the image folder and prepares the session;
// the preparation reports its own failures and the run goes on either way.
void clsToolChain::Init() {
  try {
    UpdateState("Start");
    UpdateState("Hexfile : " + ctx_.app.InputHexPath);
    UpdateState("A2L-File : " + ctx_.app.InputA2lPath);
    UpdateState(ctx_.message(msg::kReadingA2l));
  } catch (const std::exception& e) {
    throw Error(msg::kFailure, AsError(e).description(), "Init");
  }
  // Before anything is written into the folder; a refusal keeps its own
  // number, so that the operator can look it up.
  ClaimWorkingFolder(ctx_, ctx_.app.InputHexPath);
  try {
    PrepareSession(ctx_, ctx_.app.InputHexPath, ctx_.app.InputA2lPath);
  } catch (const std::exception& e) {
    throw Error(msg::kFailure, AsError(e).description(), "Init");
  }
}

}  // namespace xkm
