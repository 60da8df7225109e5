#include <gtest/gtest.h>

#include "core/platform/error.h"
#include "core/platform/xml.h"
#include "core/resources/string_table.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

const std::string kConfig = XKM_SOURCE_DIR "/examples/demo/config/";

// The demo's help page tells the operator what each step of its process does
// and what each numbered message means.
TEST(DemoHelp, ExplainsEveryStepAndEveryNumberedMessage) {
  const std::string help = test::ReadFileBytes(kConfig + "Help.htm");
  XmlDocument processList;
  ASSERT_TRUE(processList.load(kConfig + "LIB.xml"));
  const std::vector<XmlNode> steps = processList.selectNodes("//PROCESS[@KEY='1']//MODUL/NAME");
  EXPECT_FALSE(steps.empty());
  for (const XmlNode& step : steps)
    EXPECT_NE(help.find("<code>" + step.text() + "</code>"), std::string::npos) << step.text();

  int explained = 0;
  for (int id = 60000; id < 61000; ++id) {
    try {
      LoadResString(id);
    } catch (const Error&) {
      continue;  // no such message
    }
    EXPECT_NE(help.find(std::to_string(id)), std::string::npos) << "message " << id;
    ++explained;
  }
  EXPECT_GT(explained, 20);
}

}  // namespace
}  // namespace xkm
