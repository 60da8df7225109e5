#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "support/child_process.h"
#include "support/scratch_folder.h"

namespace xkm::test {
namespace {

constexpr int kCapDacOverride = 1;
constexpr int kCapDacReadSearch = 2;

// Only async-signal-safe calls from here on: the parent may run threads.
[[noreturn]] void ExecChild(const ChildCommand& command, char* const* argv,
                            char* const* environment, int out, int err) {
  if (command.ownProcessGroup) ::setpgid(0, 0);
  if (::dup2(out, STDOUT_FILENO) < 0 || ::dup2(err, STDERR_FILENO) < 0) ::_exit(126);
  const int in = ::open("/dev/null", O_RDONLY);
  if (in >= 0) ::dup2(in, STDIN_FILENO);
  if (!command.workingFolder.empty() && ::chdir(command.workingFolder.c_str()) != 0) ::_exit(126);
  if (command.fileSizeLimit) {
    ::signal(SIGXFSZ, SIG_IGN);
    // The soft limit only, so that a child of the child may lift it again.
    rlimit limit{};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = *command.fileSizeLimit;
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
  }
  if (command.withoutFileCapabilities && ::geteuid() == 0 &&
      (::prctl(PR_CAPBSET_DROP, kCapDacOverride, 0, 0, 0) != 0 ||
       ::prctl(PR_CAPBSET_DROP, kCapDacReadSearch, 0, 0, 0) != 0))
    ::_exit(126);
  ::execvpe(argv[0], argv, environment);
  ::_exit(127);
}

// An empty temporary file for one of the child's output streams.
int OutputFile(std::string& path) {
  path = (std::filesystem::temp_directory_path() / "xkmchild-XXXXXX").string();
  const int fd = ::mkostemp(path.data(), O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot create a file for the child's output");
  return fd;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

Child::Child(const ChildCommand& command)
    : program_(command.argv.empty() ? std::string() : command.argv[0]),
      deadline_(std::chrono::steady_clock::now() + command.timeLimit),
      timeLimit_(command.timeLimit) {
  if (command.argv.empty()) throw std::runtime_error("a child needs a program");
  std::vector<std::string> own;
  for (char** entry = environ; *entry != nullptr; ++entry) own.emplace_back(*entry);
  std::vector<std::string> environmentText = ChildEnvironment(command, own);
  std::vector<std::string> argvText = command.argv;
  const std::vector<char*> argv = Pointers(argvText);
  const std::vector<char*> environment = Pointers(environmentText);
  const int out = OutputFile(outPath_);
  const int err = OutputFile(errPath_);
  pid_ = ::fork();
  if (pid_ == 0) ExecChild(command, argv.data(), environment.data(), out, err);
  if (pid_ > 0 && command.ownProcessGroup) ::setpgid(pid_, pid_);
  ::close(out);
  ::close(err);
  if (pid_ < 0) throw std::runtime_error("fork failed");
}

Child::~Child() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  ::unlink(outPath_.c_str());
  ::unlink(errPath_.c_str());
}

void Child::kill() const {
  ::kill(pid_, SIGKILL);
}

void Child::signal(int signal, bool toGroup) const {
  ::kill(toGroup ? -pid_ : pid_, signal);
}

ChildResult Child::wait() {
  ChildResult result;
  int status = 0;
  for (;;) {
    const pid_t ended = ::waitpid(pid_, &status, WNOHANG);
    if (ended == pid_) break;
    if (ended < 0 && errno != EINTR) throw std::runtime_error("waitpid failed");
    if (std::chrono::steady_clock::now() >= deadline_) {
      ::kill(pid_, SIGKILL);
      while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
      }
      result.timedOut = true;
      ReportTimeLimit(program_, timeLimit_);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  pid_ = -1;
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.out = ReadFileBytes(outPath_);
  result.err = ReadFileBytes(errPath_);
  return result;
}

bool ResourceLimitsExist() {
  return true;
}

}  // namespace xkm::test
