#include "core/platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <thread>

extern char** environ;

namespace xkm {
namespace {

// posix_spawn attributes that give the child a clean signal state: our blocked
// signals and an ignored SIGPIPE would otherwise be inherited across exec.
class SpawnAttributes {
 public:
  SpawnAttributes() {
    ok_ = posix_spawnattr_init(&attr_) == 0;
    if (!ok_) return;
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    ok_ = posix_spawnattr_setsigmask(&attr_, &none) == 0 &&
          posix_spawnattr_setsigdefault(&attr_, &defaults) == 0 &&
          posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attr_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;

  const posix_spawnattr_t* get() const { return ok_ ? &attr_ : nullptr; }

 private:
  posix_spawnattr_t attr_;
  bool ok_ = false;
};

// File actions that point the child's standard output and error at /dev/null.
class OutputRedirection {
 public:
  explicit OutputRedirection(ChildOutput output) {
    if (output != ChildOutput::Discard) return;
    active_ = posix_spawn_file_actions_init(&actions_) == 0;
    if (active_) {
      posix_spawn_file_actions_addopen(&actions_, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
      posix_spawn_file_actions_addopen(&actions_, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
  }
  ~OutputRedirection() {
    if (active_) posix_spawn_file_actions_destroy(&actions_);
  }
  OutputRedirection(const OutputRedirection&) = delete;
  OutputRedirection& operator=(const OutputRedirection&) = delete;
  const posix_spawn_file_actions_t* get() const { return active_ ? &actions_ : nullptr; }

 private:
  posix_spawn_file_actions_t actions_{};
  bool active_ = false;
};

// Waits for a child's end for at most one tick, returning as soon as it has
// ended: a fixed sleep would add a whole tick to every tool run.
class ChildExitWatch {
 public:
  explicit ChildExitWatch(pid_t pid) : fd_(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {}
  ~ChildExitWatch() {
    if (fd_ >= 0) ::close(fd_);
  }
  ChildExitWatch(const ChildExitWatch&) = delete;
  ChildExitWatch& operator=(const ChildExitWatch&) = delete;

  void waitUpTo(std::chrono::milliseconds tick) {
    if (fd_ >= 0) {
      pollfd entry{fd_, POLLIN, 0};
      ::poll(&entry, 1, static_cast<int>(tick.count()));  // EINTR: the caller looks again
      return;
    }
    // Without pidfds: short sleeps first, growing to the tick.
    std::this_thread::sleep_for(std::min(backoff_, tick));
    backoff_ *= 2;
  }

 private:
  int fd_;
  std::chrono::milliseconds backoff_{1};
};

void Record(int status, ProcessOutcome& outcome) {
  if (WIFEXITED(status)) {
    outcome.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.signal = WTERMSIG(status);
  }
}

}  // namespace

ProcessOutcome SpawnAndWait(const std::vector<std::string>& argv,
                            const std::function<void()>& whileWaiting,
                            std::chrono::milliseconds tick, ChildOutput output) {
  ProcessOutcome outcome;
  if (argv.empty() || argv[0].empty()) return outcome;

  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  SpawnAttributes attributes;
  OutputRedirection redirection(output);
  pid_t pid = 0;
  const bool searchPath = argv[0].find('/') == std::string::npos;
  int rc =
      searchPath
          ? posix_spawnp(&pid, args[0], redirection.get(), attributes.get(), args.data(), environ)
          : posix_spawn(&pid, args[0], redirection.get(), attributes.get(), args.data(), environ);
  if (rc != 0) return outcome;
  outcome.started = true;

  ChildExitWatch watch(pid);
  int status = 0;
  while (true) {
    pid_t done = waitpid(pid, &status, whileWaiting ? WNOHANG : 0);
    if (done == pid) {
      Record(status, outcome);
      return outcome;
    }
    if (done < 0) {
      if (errno == EINTR) continue;
      return outcome;  // e.g. ECHILD when SIGCHLD is ignored: the status is lost
    }
    whileWaiting();  // an exception from here leaves the child running, unwaited
    watch.waitUpTo(tick);
  }
}

}  // namespace xkm
