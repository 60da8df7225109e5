#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/platform/error.h"
#include "core/session/data_context.h"
#include "support/error_number.h"

namespace xkm::test {

// A fresh session with German messages, as a run has it after preparation.
class TemplateTest : public ::testing::Test {
 protected:
  TemplateTest() { InitSessionTables(session); }

  AppState app;
  Session session;
  DataContext ctx{app, session};
};

// Runs `action`, which must fail with exactly this number and description.
inline void ExpectError(const std::function<void()>& action, int number,
                        const std::string& description) {
  EXPECT_EQ(ErrorOf(action).numberAndDescription(), std::to_string(number) + " " + description);
}

}  // namespace xkm::test
