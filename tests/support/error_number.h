#pragma once

#include <functional>

#include "core/platform/error.h"

namespace xkm::test {

// The number of the Error `action` throws; 0 when it throws none.
inline int ErrorNumberOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& e) {
    return e.number();
  }
  return 0;
}

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
