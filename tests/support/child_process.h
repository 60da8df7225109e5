#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace xkm::test {

// How to start one child: an argv (never a shell), extra environment, a
// working folder and the limits a test puts on it.
struct ChildCommand {
  std::vector<std::string> argv{};  // argv[0] without a folder is looked up on PATH
  std::map<std::string, std::string> environment{};
  std::string workingFolder{};
  // A child still running after this long is killed and the test fails with a
  // message naming it, instead of hanging until the test driver gives up.
  std::chrono::seconds timeLimit{120};
  // Limits that exist only where ResourceLimitsExist(); elsewhere a child
  // that asks for one is not started.
  std::optional<size_t> fileSizeLimit{};  // soft RLIMIT_FSIZE in bytes; SIGXFSZ ignored
  // Runs a root child without the capabilities that let it write into
  // folders without write permission, so that chmod takes effect.
  bool withoutFileCapabilities = false;
  // POSIX: the child leads a process group of its own, as a shell's job does,
  // so that a signal to that group stands for a terminal's Ctrl+C.
  bool ownProcessGroup = false;
};

struct ChildResult {
  int exitCode = -1;  // -1 when it ended by a signal or was killed
  int signal = 0;
  bool timedOut = false;
  std::string out;
  std::string err;
};

// A started child whose standard output and error go to temporary files and
// whose standard input reads nothing.
class Child {
 public:
  explicit Child(const ChildCommand& command);
  ~Child();
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  int pid() const { return pid_; }
  // Ends it at once, as a crash would.
  void kill() const;
#ifndef _WIN32
  // Sends `signal` to the child, or to its whole process group.
  void signal(int signal, bool toGroup = false) const;
#endif
  // Waits until the child ends or its time limit is reached (then kills it).
  ChildResult wait();

 private:
  int pid_ = -1;
  void* process_ = nullptr;  // the process handle where there are no process ids to wait on
  std::string program_;
  std::chrono::steady_clock::time_point deadline_;
  std::chrono::seconds timeLimit_;
  std::string outPath_;
  std::string errPath_;
};

ChildResult RunChild(const ChildCommand& command);

// This process's environment as "name=value" entries plus the command's own;
// what both twins hand to the child.
std::vector<std::string> ChildEnvironment(const ChildCommand& command,
                                          const std::vector<std::string>& own);
// Fails the test for a child killed at its time limit.
void ReportTimeLimit(const std::string& program, std::chrono::seconds limit);

// Whether children can be given resource limits and stripped capabilities.
bool ResourceLimitsExist();

}  // namespace xkm::test
