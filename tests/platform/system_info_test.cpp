#include "core/platform/os/system_info.h"

#include <gtest/gtest.h>

#include <regex>

namespace xkm {
namespace {

// The text places the moment on any machine: its local fields less its offset
// give back the moment, whatever the time zone the test runs in.
TEST(LocalIsoTime, NamesTheMomentWithItsOffset) {
  using namespace std::chrono;
  const std::regex iso(R"((\d{4})-(\d\d)-(\d\d)T(\d\d):(\d\d):(\d\d)([+-])(\d\d)(\d\d))");
  const struct {
    const char* name;
    std::time_t seconds;
  } rows[] = {{"a winter night", 1767225599}, {"a summer afternoon", 1783346401}};
  for (const auto& row : rows) {
    const std::string text = LocalIsoTime(system_clock::from_time_t(row.seconds));
    std::smatch part;
    ASSERT_TRUE(std::regex_match(text, part, iso)) << row.name << ": " << text;
    const auto number = [&part](size_t i) { return std::stoi(part[i].str()); };
    const sys_days day{year{number(1)} / number(2) / number(3)};
    const seconds local =
        day.time_since_epoch() + hours{number(4)} + minutes{number(5)} + seconds{number(6)};
    const seconds offset = (part[7] == "-" ? -1 : 1) * (hours{number(8)} + minutes{number(9)});
    EXPECT_EQ((local - offset).count(), row.seconds) << row.name << ": " << text;
  }
}

}  // namespace
}  // namespace xkm
