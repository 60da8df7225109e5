#include "core/shell/input_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/scratch_folder.h"

namespace xkm {
namespace {

// Whether a run counts an input as changed: its stamp first, then, where a
// trace took digests, its content.
TEST(MarkChangedInputs, ByStampAndWhereDigestsWereTakenByContent) {
  struct Row {
    const char* name;
    bool digests;
    const char* rewrittenAs;  // null: only the time of writing moves
    bool changed;
  };
  const Row rows[] = {
      {"rewritten, no digests", false, "other, longer content", true},
      {"rewritten, digests", true, "other, longer content", true},
      {"touched, no digests", false, nullptr, true},
      {"touched, same content", true, nullptr, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    test::ScratchFolder folder;
    AppState app;
    app.InputXmlPath = folder.write("order.xml", "<order/>");
    app.InputHexPath = folder.write("image.hex", ":00000001FF");
    app.InputA2lPath = folder.write("image.a2l", "/begin");
    std::vector<InputFacts> inputs = TakeInputFacts(app, row.digests);
    if (row.rewrittenAs != nullptr) {
      folder.write("image.hex", row.rewrittenAs);
    } else {
      const auto path = std::filesystem::path(app.InputHexPath);
      std::filesystem::last_write_time(
          path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
    }
    MarkChangedInputs(inputs);
    EXPECT_EQ(inputs[1].changed, row.changed);
    EXPECT_FALSE(inputs[0].changed);
  }
}

}  // namespace
}  // namespace xkm
