#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

#include "core/platform/os/process.h"
#include "core/platform/os/unique_fd.h"
#include "core/platform/text/command_line.h"

extern char** environ;

namespace xkm {
namespace {

// No descriptor; descriptors are compared with it, never by their sign,
// since 0 is one too.
constexpr int kNoFd = -1;
// A child's stream that is this program's own.
constexpr int kOurStream = kNoFd;

// The descriptors a child gets as its standard streams, opened before it is
// started (close-on-exec, so that no other child inherits them).
struct ChildStreams {
  int input = -1;  // /dev/null
  int output = kOurStream;
  int error = kOurStream;
  const char* folder = nullptr;  // nullptr: ours
};

// A descriptor on /dev/null, closed with the object.
UniqueFd NullDevice(int flags) {
  return UniqueFd(::open("/dev/null", flags | O_CLOEXEC));
}

// Pipes that take the child's standard output and error; the reading end keeps
// only the last bytes of each, so that a chatty tool costs no memory. The
// pipes must be read while the child runs: a full pipe would block it.
class OutputCapture {
 public:
  explicit OutputCapture(ChildOutput output)
      : active_(output == ChildOutput::Capture && openPipes()) {}
  ~OutputCapture() {
    for (Stream& stream : streams_) {
      closeFd(stream.readFd);
      closeFd(stream.writeFd);
    }
  }
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  bool active() const { return active_; }
  int writeEnd(size_t index) const { return streams_[index].writeFd; }

  // After the spawn only the child may hold the writing ends, so that its end
  // shows as the end of both pipes.
  void childStarted() {
    for (Stream& stream : streams_) closeFd(stream.writeFd);
  }

  // Waits at most one tick for output or, through `exitFd` (kNoFd for none), for
  // the child's end, and keeps what arrived. False when no pipe is left open
  // to wait on.
  bool waitUpTo(std::chrono::milliseconds tick, int exitFd) {
    std::array<pollfd, 3> entries{};
    nfds_t count = 0;
    for (const Stream& stream : streams_)
      if (stream.readFd != kNoFd) entries[count++] = pollfd{stream.readFd, POLLIN, 0};
    if (count == 0) return false;
    if (exitFd != kNoFd) entries[count++] = pollfd{exitFd, POLLIN, 0};
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
      while (stream.readFd != kNoFd) {
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
    int readFd = kNoFd;
    int writeFd = kNoFd;
    std::string tail;
  };

  static void keep(std::string& tail, const char* bytes, size_t count) {
    tail.append(bytes, count);
    // Trimmed in steps, not on every read: the front is dropped only when
    // twice the limit has gathered.
    if (tail.size() > 2 * kCapturedTailBytes) tail.erase(0, tail.size() - kCapturedTailBytes);
  }
  // False when there are too few descriptors: the output is then lost.
  bool openPipes() {
    for (Stream& stream : streams_) {
      int ends[2];
      if (::pipe2(ends, O_CLOEXEC) != 0) return false;
      stream.readFd = ends[0];
      stream.writeFd = ends[1];
      ::fcntl(stream.readFd, F_SETFL, O_NONBLOCK);
    }
    return true;
  }
  static void closeFd(int& fd) {
    if (fd != kNoFd) ::close(fd);
    fd = kNoFd;
  }

  std::array<Stream, 2> streams_{};
  const bool active_;  // after streams_, which it opens
};

// Waits for a child's end for at most one tick, returning as soon as it has
// ended: a fixed sleep would add a whole tick to every tool run.
class ChildExitWatch {
 public:
  ChildExitWatch(pid_t pid, ExitNotice notice)
      : fd_(notice == ExitNotice::Sleeps ? kNoFd
                                         : static_cast<int>(::syscall(SYS_pidfd_open, pid, 0))) {}
  ~ChildExitWatch() {
    if (fd_ != kNoFd) ::close(fd_);
  }
  int fd() const { return fd_; }
  ChildExitWatch(const ChildExitWatch&) = delete;
  ChildExitWatch& operator=(const ChildExitWatch&) = delete;

  void waitUpTo(std::chrono::milliseconds tick) {
    if (fd_ != kNoFd) {
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

// Ends the child's process group and reaps the child when the wait is left
// early by an exception, so that no tool runs on unattended and none is left
// behind unreaped. Every tool of a run has ended before the run goes on,
// whatever happens.
class ReapOnUnwind {
 public:
  ReapOnUnwind() = default;
  ~ReapOnUnwind() {
    if (!child_) return;
    ::kill(-*child_, SIGKILL);
    int status = 0;
    while (::waitpid(*child_, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ReapOnUnwind(const ReapOnUnwind&) = delete;
  ReapOnUnwind& operator=(const ReapOnUnwind&) = delete;
  void arm(pid_t pid) { child_ = pid; }
  void disarm() { child_.reset(); }

 private:
  std::optional<pid_t> child_;  // the child to end and reap, once started
};

// Ends the child's process group should this program end without doing so
// itself, by a SIGKILL too: a helper process waits on a pipe whose only writer
// is this program. The child dies with us anyway; what it started in its group
// would go on writing into the folder of a run that is over.
class GroupGuard {
 public:
  explicit GroupGuard(pid_t group) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return;  // unguarded, as a child always was
    const pid_t helper = ::fork();
    if (helper == 0) AwaitEnd(ends, group);
    ::close(ends[0]);
    if (helper < 0) {
      ::close(ends[1]);
      return;
    }
    helper_ = helper;
    writeEnd_ = UniqueFd(ends[1]);
  }
  // The group is ended here already: the helper is told so, never to kill a
  // group whose id may have been reused, and is reaped.
  ~GroupGuard() {
    if (!helper_) return;
    constexpr char kDone = 1;
    [[maybe_unused]] const ssize_t told = ::write(writeEnd_.get(), &kDone, 1);
    writeEnd_ = UniqueFd();
    while (::waitpid(*helper_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  GroupGuard(const GroupGuard&) = delete;
  GroupGuard& operator=(const GroupGuard&) = delete;

 private:
  // The helper: only async-signal-safe calls, since the parent may have
  // other threads. Signals meant for this program (a terminal's Ctrl+C) are
  // not its business.
  [[noreturn]] static void AwaitEnd(const int ends[2], pid_t group) {
    sigset_t all;
    sigfillset(&all);
    ::sigprocmask(SIG_SETMASK, &all, nullptr);
    ::close(ends[1]);
    char done = 0;
    ssize_t got = 0;
    do {
      got = ::read(ends[0], &done, 1);
    } while (got < 0 && errno == EINTR);
    if (got <= 0) ::kill(-group, SIGKILL);
    ::_exit(0);
  }

  std::optional<pid_t> helper_;
  UniqueFd writeEnd_;
};

void Record(int status, ProcessOutcome& outcome) {
  if (WIFEXITED(status)) {
    outcome.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.signal = WTERMSIG(status);
  }
}

// The program a child runs: argv[0] itself when it names a path, else the
// first executable of that name on PATH (looked up here: the child may only
// make async-signal-safe calls).
std::string ProgramPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::string folders = path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  for (;;) {
    const size_t colon = folders.find(':', start);
    std::string folder = folders.substr(start, colon - start);
    std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    if (colon == std::string::npos) return name;
    start = colon + 1;
  }
}

// In the child between fork and exec: only async-signal-safe calls, since the
// parent may have other threads. A failure is written to `report` as errno.
[[noreturn]] void ExecChild(const char* program, char* const* argv, const ChildStreams& streams,
                            pid_t parent, int report) {
  ::setpgid(0, 0);
  // Dies with this program, a SIGKILL included; a parent already gone is
  // noticed right after.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != parent) ::_exit(127);
  // Blocked and ignored signals would be inherited across exec.
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT}) ::signal(signal, SIG_DFL);
  bool ok = streams.folder == nullptr || ::chdir(streams.folder) == 0;
  ok = ok && ::dup2(streams.input, STDIN_FILENO) >= 0;
  if (ok && streams.output != kOurStream) ok = ::dup2(streams.output, STDOUT_FILENO) >= 0;
  if (ok && streams.error != kOurStream) ok = ::dup2(streams.error, STDERR_FILENO) >= 0;
  if (ok) ::execve(program, argv, environ);
  const int error = errno;
  [[maybe_unused]] const ssize_t written = ::write(report, &error, sizeof error);
  ::_exit(127);
}

// Starts the child; its pid, or -1 when it could not be started, with the
// system's reason in `error`.
pid_t Start(const std::vector<std::string>& argv, const ChildStreams& streams, int& error) {
  const std::string program = ProgramPath(argv[0]);
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    error = errno;
    return -1;
  }
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) ExecChild(program.c_str(), args.data(), streams, parent, report[1]);
  error = errno;
  ::close(report[1]);
  if (pid < 0) {
    ::close(report[0]);
    return -1;
  }
  ::setpgid(pid, pid);  // also here, so that the group exists before any signal to it
  // The reporting end closes with the exec: nothing read means it started.
  error = 0;
  ssize_t got = 0;
  do {
    got = ::read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (got <= 0) return pid;
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return -1;
}

// Carries out what the waiting side asks, each signal once.
class GroupSignals {
 public:
  explicit GroupSignals(pid_t group) : group_(group) {}
  void apply(ChildAction action) {
    if (action == ChildAction::Terminate && !terminated_) {
      terminated_ = true;
      ::kill(-group_, SIGTERM);
    } else if (action == ChildAction::Kill && !killed_) {
      killed_ = true;
      ::kill(-group_, SIGKILL);
    }
  }

 private:
  pid_t group_;
  bool terminated_ = false;
  bool killed_ = false;
};

ProcessOutcome SpawnAndWait(const std::vector<std::string>& argv,
                            const std::function<void()>& whileWaiting,
                            std::chrono::milliseconds tick, ChildOutput output, ExitNotice notice,
                            const ChildControl& control, const std::string& folder) {
  ProcessOutcome outcome;
  if (argv.empty() || argv[0].empty()) return outcome;

  // Before the capture, so that a wait left by an exception closes the pipes
  // first: a child blocked on a full pipe then ends instead of waiting forever.
  ReapOnUnwind reaper;
  OutputCapture capture(output);
  const UniqueFd input = NullDevice(O_RDONLY);
  // Output that cannot be captured (no pipes to be had) is discarded.
  const UniqueFd discard = NullDevice(O_WRONLY);
  ChildStreams streams{input.get(), kOurStream, kOurStream,
                       folder.empty() ? nullptr : folder.c_str()};
  if (capture.active()) {
    streams.output = capture.writeEnd(0);
    streams.error = capture.writeEnd(1);
  } else if (output != ChildOutput::Inherit) {
    streams.output = streams.error = discard.get();
  }
  int startError = 0;
  const pid_t pid = Start(argv, streams, startError);
  if (pid < 0) {
    outcome.startError = std::strerror(startError);
    return outcome;
  }
  outcome.started = true;
  capture.childStarted();

  ChildExitWatch watch(pid, notice);
  reaper.arm(pid);
  const GroupGuard guard(pid);
  GroupSignals signals(pid);
  // A captured or controlled child is never waited for blindly.
  const bool poll = whileWaiting || capture.active() || control;
  while (true) {
    // Seen ended but not yet reaped, so that its group id cannot be reused
    // before what it left running in the group is killed.
    siginfo_t info{};
    const int seen =
        ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT | (poll ? WNOHANG : 0));
    if (seen == 0 && info.si_pid == pid) {
      ::kill(-pid, SIGKILL);
      int status = 0;
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      reaper.disarm();
      Record(status, outcome);
      break;
    }
    if (seen < 0) {
      if (errno == EINTR) continue;
      reaper.disarm();
      break;  // e.g. ECHILD when SIGCHLD is ignored: the status is lost
    }
    if (whileWaiting) whileWaiting();  // an exception from here ends the child, then goes on
    if (control) signals.apply(control());
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
                              std::chrono::milliseconds tick, ChildOutput output, ExitNotice notice,
                              const ChildControl& control, const std::string& workingFolder) {
  return SpawnAndWait(SplitCommandLine(commandLine), whileWaiting, tick, output, notice, control,
                      workingFolder);
}

}  // namespace xkm
