#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace xkm::test {

// How to start one child: an argv (never a shell), extra environment, a
// working folder and the limits a fault test puts on it.
struct ChildCommand {
  std::vector<std::string> argv;
  std::map<std::string, std::string> environment;
  std::string workingFolder;
  std::optional<size_t> fileSizeLimit;      // soft RLIMIT_FSIZE in bytes; SIGXFSZ ignored
  std::optional<size_t> addressSpaceLimit;  // RLIMIT_AS in bytes
  // Runs a root child without the capabilities that let it write into
  // folders without write permission, so that chmod takes effect.
  bool withoutFileCapabilities = false;
};

struct ChildResult {
  int exitCode = -1;  // -1 when it ended by a signal
  int signal = 0;
  std::string out;
  std::string err;
};

// A started child whose output goes to files in `outputFolder`.
class Child {
 public:
  Child(const ChildCommand& command, const std::string& outputFolder);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  pid_t pid() const { return pid_; }
  void signal(int number) const;
  ChildResult wait();

 private:
  pid_t pid_ = -1;
  std::string outPath_;
  std::string errPath_;
};

ChildResult RunChild(const ChildCommand& command, const std::string& outputFolder);

// Whether this program (and so the xkmtool built with it) runs under AddressSanitizer.
bool UnderAddressSanitizer();

}  // namespace xkm::test
