#include "core/platform/error.h"
#include "core/toolchain/folder_claim.h"
#include "core/toolchain/prepare_session.h"
#include "core/toolchain/tool_chain.h"

namespace xkm {

namespace {
constexpr int kReadingA2l = 60303;
}

// Announces the inputs, claims the image folder and prepares the session;
// the preparation reports its own failures and the run goes on either way.
void clsToolChain::Init() {
  try {
    UpdateState("Start");
    UpdateState("Hexfile : " + ctx_.app.InputHexPath);
    UpdateState("A2L-File : " + ctx_.app.InputA2lPath);
    UpdateState(ctx_.message(kReadingA2l));
  } catch (const std::exception& e) {
    throw Error(60000, AsError(e).description(), "Init");
  }
  // Before anything is written into the folder; a refusal keeps its own
  // number, so that the operator can look it up.
  ClaimWorkingFolder(ctx_, ctx_.app.InputHexPath);
  try {
    PrepareSession(ctx_, ctx_.app.InputHexPath, ctx_.app.InputA2lPath);
  } catch (const std::exception& e) {
    throw Error(60000, AsError(e).description(), "Init");
  }
}

}  // namespace xkm
