#include "hostile/child_process.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <stdexcept>

#include "support/scratch_folder.h"

namespace xkm::test {
namespace {

constexpr int kCapDacOverride = 1;
constexpr int kCapDacReadSearch = 2;

// Only async-signal-safe calls from here on: the parent may run threads.
[[noreturn]] void ExecChild(const ChildCommand& command, const std::vector<char*>& argv,
                            const std::vector<char*>& environment, int out, int err) {
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
  if (command.addressSpaceLimit) {
    rlimit limit{*command.addressSpaceLimit, *command.addressSpaceLimit};
    if (::setrlimit(RLIMIT_AS, &limit) != 0) ::_exit(126);
  }
  if (command.withoutFileCapabilities && ::geteuid() == 0) {
    if (::prctl(PR_CAPBSET_DROP, kCapDacOverride, 0, 0, 0) != 0 ||
        ::prctl(PR_CAPBSET_DROP, kCapDacReadSearch, 0, 0, 0) != 0)
      ::_exit(126);
  }
  ::execve(argv[0], argv.data(), environment.data());
  ::_exit(127);
}

std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& extra) {
  std::map<std::string, std::string> all;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    std::string text = *entry;
    size_t equals = text.find('=');
    if (equals != std::string::npos) all[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto& [name, value] : extra) all[name] = value;
  std::vector<std::string> result;
  for (const auto& [name, value] : all) result.push_back(name + "=" + value);
  return result;
}

}  // namespace

Child::Child(const ChildCommand& command, const std::string& outputFolder)
    : outPath_(outputFolder + "/.child-out"), errPath_(outputFolder + "/.child-err") {
  std::vector<std::string> environmentText = MergedEnvironment(command.environment);
  std::vector<char*> argv;
  for (const std::string& a : command.argv) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> environment;
  for (const std::string& e : environmentText) environment.push_back(const_cast<char*>(e.c_str()));
  environment.push_back(nullptr);

  const int out = ::open(outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (out < 0 || err < 0) throw std::runtime_error("cannot open the child's output files");
  pid_ = ::fork();
  if (pid_ == 0) ExecChild(command, argv, environment, out, err);
  ::close(out);
  ::close(err);
  if (pid_ < 0) throw std::runtime_error("fork failed");
}

Child::~Child() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
}

void Child::signal(int number) const {
  ::kill(pid_, number);
}

ChildResult Child::wait() {
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  pid_ = -1;
  ChildResult result;
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  result.out = ReadFileBytes(outPath_);
  result.err = ReadFileBytes(errPath_);
  ::unlink(outPath_.c_str());
  ::unlink(errPath_.c_str());
  return result;
}

ChildResult RunChild(const ChildCommand& command, const std::string& outputFolder) {
  return Child(command, outputFolder).wait();
}

bool UnderAddressSanitizer() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

}  // namespace xkm::test
