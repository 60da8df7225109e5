#pragma once

#include "core/platform/error.h"

namespace xkm::test {

// The Error `call` throws; number 0 when it throws none.
template <typename Call>
Error ErrorOf(Call call) {
  try {
    call();
  } catch (const Error& e) {
    return e;
  }
  return Error(0, "");
}

}  // namespace xkm::test
