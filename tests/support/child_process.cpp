#include "support/child_process.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>

namespace xkm::test {
namespace {

// Windows compares variable names without regard to letter case.
struct NameOrder {
  bool operator()(const std::string& a, const std::string& b) const {
#ifdef _WIN32
    return _stricmp(a.c_str(), b.c_str()) < 0;
#else
    return a < b;
#endif
  }
};

}  // namespace

ChildResult RunChild(const ChildCommand& command) {
  return Child(command).wait();
}

std::vector<std::string> ChildEnvironment(const ChildCommand& command,
                                          const std::vector<std::string>& own) {
  std::map<std::string, std::string, NameOrder> all;
  for (const std::string& entry : own) {
    const size_t equals = entry.find('=', 1);  // Windows' "=C:=C:\..." names start with "="
    if (equals != std::string::npos) all[entry.substr(0, equals)] = entry.substr(equals + 1);
  }
  for (const auto& [name, value] : command.environment) all[name] = value;
  std::vector<std::string> result;
  for (const auto& [name, value] : all) result.push_back(name + "=" + value);
  return result;
}

void ReportTimeLimit(const std::string& program, std::chrono::seconds limit) {
  ADD_FAILURE() << program << " did not end within " << limit.count() << " s and was killed";
}

}  // namespace xkm::test
