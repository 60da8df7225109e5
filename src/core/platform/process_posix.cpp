#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <thread>

#include "core/platform/command_line.h"
#include "core/platform/process.h"

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

// File actions that give the child an empty standard input, and with
// ChildOutput::Discard point its standard output and error at /dev/null.
class OutputRedirection {
 public:
  explicit OutputRedirection(ChildOutput output) {
    active_ = posix_spawn_file_actions_init(&actions_) == 0;
    if (!active_) return;
    posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (output == ChildOutput::Discard) {
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

// Pipes that take the child's standard output and error; the reading end keeps
// only the last bytes of each, so that a chatty tool costs no memory. The
// pipes must be read while the child runs: a full pipe would block it.
class OutputCapture {
 public:
  explicit OutputCapture(ChildOutput output) {
    if (output != ChildOutput::Capture) return;
    for (Stream& stream : streams_) {
      int ends[2];
      if (::pipe2(ends, O_CLOEXEC) != 0) return;  // too few descriptors: output is lost
      stream.readFd = ends[0];
      stream.writeFd = ends[1];
      ::fcntl(stream.readFd, F_SETFL, O_NONBLOCK);
    }
    active_ =
        posix_spawn_file_actions_init(&actions_) == 0 &&
        posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
        posix_spawn_file_actions_adddup2(&actions_, streams_[0].writeFd, STDOUT_FILENO) == 0 &&
        posix_spawn_file_actions_adddup2(&actions_, streams_[1].writeFd, STDERR_FILENO) == 0;
  }
  ~OutputCapture() {
    if (active_) posix_spawn_file_actions_destroy(&actions_);
    for (Stream& stream : streams_) {
      closeFd(stream.readFd);
      closeFd(stream.writeFd);
    }
  }
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  bool active() const { return active_; }
  const posix_spawn_file_actions_t* actions() const { return active_ ? &actions_ : nullptr; }

  // After the spawn only the child may hold the writing ends, so that its end
  // shows as the end of both pipes.
  void childStarted() {
    for (Stream& stream : streams_) closeFd(stream.writeFd);
  }

  // Waits at most one tick for output or, through `exitFd` (-1 for none), for
  // the child's end, and keeps what arrived. False when no pipe is left open
  // to wait on.
  bool waitUpTo(std::chrono::milliseconds tick, int exitFd) {
    std::array<pollfd, 3> entries{};
    nfds_t count = 0;
    for (const Stream& stream : streams_)
      if (stream.readFd >= 0) entries[count++] = pollfd{stream.readFd, POLLIN, 0};
    if (count == 0) return false;
    if (exitFd >= 0) entries[count++] = pollfd{exitFd, POLLIN, 0};
    ::poll(entries.data(), count, static_cast<int>(tick.count()));  // EINTR: the caller looks again
    drain();
    return true;
  }

  // Reads whatever is there without waiting; a pipe at its end is closed.
  // After the child's end a grandchild may still hold a pipe open: what it
  // writes later is not waited for.
  void drain() {
    char buffer[16384];
    for (Stream& stream : streams_) {
      while (stream.readFd >= 0) {
        const ssize_t got = ::read(stream.readFd, buffer, sizeof buffer);
        if (got > 0) {
          keep(stream.tail, buffer, static_cast<size_t>(got));
        } else if (got < 0 && errno == EINTR) {
          continue;
        } else {
          if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) closeFd(stream.readFd);
          break;
        }
      }
    }
  }

  std::string tail(size_t index) const {
    const std::string& text = streams_[index].tail;
    return text.size() <= kCapturedTailBytes ? text : text.substr(text.size() - kCapturedTailBytes);
  }

 private:
  struct Stream {
    int readFd = -1;
    int writeFd = -1;
    std::string tail;
  };

  static void keep(std::string& tail, const char* bytes, size_t count) {
    tail.append(bytes, count);
    // Trimmed in steps, not on every read: the front is dropped only when
    // twice the limit has gathered.
    if (tail.size() > 2 * kCapturedTailBytes) tail.erase(0, tail.size() - kCapturedTailBytes);
  }
  static void closeFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }

  std::array<Stream, 2> streams_{};
  posix_spawn_file_actions_t actions_{};
  bool active_ = false;
};

// Waits for a child's end for at most one tick, returning as soon as it has
// ended: a fixed sleep would add a whole tick to every tool run.
class ChildExitWatch {
 public:
  ChildExitWatch(pid_t pid, ExitNotice notice)
      : fd_(notice == ExitNotice::Sleeps ? -1
                                         : static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {}
  ~ChildExitWatch() {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }
  ChildExitWatch(const ChildExitWatch&) = delete;
  ChildExitWatch& operator=(const ChildExitWatch&) = delete;

  void waitUpTo(std::chrono::milliseconds tick) {
    if (fd_ >= 0) {
      pollfd entry{fd_, POLLIN, 0};
      ::poll(&entry, 1, static_cast<int>(tick.count()));  // EINTR: the caller looks again
      return;
    }
    // Without pidfds: short sleeps first, growing to the tick and no further.
    std::this_thread::sleep_for(std::min(backoff_, tick));
    backoff_ = std::min(backoff_ * 2, tick);
  }

 private:
  int fd_;
  std::chrono::milliseconds backoff_{1};
};

// Waits for the child's end when the wait is left early by an exception, so
// that no child runs on unattended and none is left behind unreaped. Every
// tool of a run has ended before the run goes on, whatever happens.
class ReapOnUnwind {
 public:
  ReapOnUnwind() = default;
  ~ReapOnUnwind() {
    if (!armed_) return;
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ReapOnUnwind(const ReapOnUnwind&) = delete;
  ReapOnUnwind& operator=(const ReapOnUnwind&) = delete;
  void arm(pid_t pid) {
    pid_ = pid;
    armed_ = true;
  }
  void disarm() { armed_ = false; }

 private:
  pid_t pid_ = -1;
  bool armed_ = false;
};

void Record(int status, ProcessOutcome& outcome) {
  if (WIFEXITED(status)) {
    outcome.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.signal = WTERMSIG(status);
  }
}

ProcessOutcome SpawnAndWait(const std::vector<std::string>& argv,
                            const std::function<void()>& whileWaiting,
                            std::chrono::milliseconds tick, ChildOutput output, ExitNotice notice) {
  ProcessOutcome outcome;
  if (argv.empty() || argv[0].empty()) return outcome;

  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  SpawnAttributes attributes;
  // Before the capture, so that a wait left by an exception closes the pipes
  // first: a child blocked on a full pipe then ends instead of waiting forever.
  ReapOnUnwind reaper;
  OutputCapture capture(output);
  // Output that cannot be captured (no pipes to be had) is discarded.
  OutputRedirection redirection(
      output == ChildOutput::Capture && !capture.active() ? ChildOutput::Discard : output);
  const posix_spawn_file_actions_t* actions =
      capture.active() ? capture.actions() : redirection.get();
  pid_t pid = 0;
  const bool searchPath = argv[0].find('/') == std::string::npos;
  int rc = searchPath ? posix_spawnp(&pid, args[0], actions, attributes.get(), args.data(), environ)
                      : posix_spawn(&pid, args[0], actions, attributes.get(), args.data(), environ);
  if (rc != 0) return outcome;
  outcome.started = true;
  capture.childStarted();

  ChildExitWatch watch(pid, notice);
  reaper.arm(pid);
  // A captured child is never waited for blindly: its pipes must be read.
  const bool poll = whileWaiting || capture.active();
  int status = 0;
  while (true) {
    pid_t done = waitpid(pid, &status, poll ? WNOHANG : 0);
    if (done == pid) {
      reaper.disarm();
      Record(status, outcome);
      break;
    }
    if (done < 0) {
      if (errno == EINTR) continue;
      reaper.disarm();
      break;  // e.g. ECHILD when SIGCHLD is ignored: the status is lost
    }
    if (whileWaiting) whileWaiting();  // an exception from here waits for the child, then goes on
    if (!capture.active() || !capture.waitUpTo(tick, watch.fd())) watch.waitUpTo(tick);
  }
  if (capture.active()) {
    capture.drain();
    outcome.stdoutTail = capture.tail(0);
    outcome.stderrTail = capture.tail(1);
  }
  return outcome;
}

}  // namespace

ProcessOutcome RunCommandLine(const std::string& commandLine,
                              const std::function<void()>& whileWaiting,
                              std::chrono::milliseconds tick, ChildOutput output,
                              ExitNotice notice) {
  return SpawnAndWait(SplitCommandLine(commandLine), whileWaiting, tick, output, notice);
}

}  // namespace xkm
