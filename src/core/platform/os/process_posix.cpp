#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "core/platform/os/process.h"
#include "core/platform/os/running_child.h"
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
  OutputCapture(const OutputCapture&) = delete;
  OutputCapture& operator=(const OutputCapture&) = delete;

  bool active() const { return active_; }
  int writeEnd(size_t index) const { return streams_[index].writeFd.get(); }

  // After the spawn only the child may hold the writing ends, so that its end
  // shows as the end of both pipes.
  void childStarted() {
    for (Stream& stream : streams_) stream.writeFd = UniqueFd();
  }

  // Waits at most one tick for output or, through `exitFd` (kNoFd for none), for
  // the child's end, and keeps what arrived. False when no pipe is left open
  // to wait on.
  bool waitUpTo(std::chrono::milliseconds tick, int exitFd) {
    std::array<pollfd, 3> entries{};
    nfds_t count = 0;
    for (const Stream& stream : streams_)
      if (stream.readFd.valid()) entries[count++] = pollfd{stream.readFd.get(), POLLIN, 0};
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
      while (stream.readFd.valid()) {
        const ssize_t got = ::read(stream.readFd.get(), buffer, sizeof buffer);
        if (got > 0) {
          stream.tail.append(buffer, static_cast<size_t>(got));
        } else if (got < 0 && errno == EINTR) {
          continue;
        } else {
          if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) stream.readFd = UniqueFd();
          break;
        }
      }
    }
  }

  std::string tail(size_t index) const { return streams_[index].tail.text(); }

 private:
  struct Stream {
    UniqueFd readFd;
    UniqueFd writeFd;
    OutputTail tail;
  };

  // False when there are too few descriptors: the output is then lost.
  bool openPipes() {
    for (Stream& stream : streams_) {
      int ends[2];
      if (::pipe2(ends, O_CLOEXEC) != 0) return false;
      stream.readFd = UniqueFd(ends[0]);
      stream.writeFd = UniqueFd(ends[1]);
      ::fcntl(stream.readFd.get(), F_SETFL, O_NONBLOCK);
    }
    return true;
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
  int fd() const { return fd_.get(); }

  void waitUpTo(std::chrono::milliseconds time) {
    if (fd_.valid()) {
      pollfd entry{fd_.get(), POLLIN, 0};
      ::poll(&entry, 1, static_cast<int>(time.count()));  // EINTR: the caller looks again
      return;
    }
    // Without pidfds: short sleeps first, growing to the time asked and no further.
    if (time <= std::chrono::milliseconds(0)) return;
    std::this_thread::sleep_for(std::min(backoff_, time));
    backoff_ = std::min(backoff_ * 2, time);
  }

 private:
  UniqueFd fd_;
  std::chrono::milliseconds backoff_{1};
};

// What this program asks of the guard of a running tool, one byte each.
constexpr char kAskToEnd = 'T';  // SIGTERM to the tool's process group
constexpr char kEndNow = 'K';    // SIGKILL to it

// Without a process descriptor the guard looks at its tool this often.
constexpr int kGuardLookMs = 10;

// The entries of a folder read by getdents64: the guard may not allocate.
struct DirectoryEntry {
  uint64_t inode;
  int64_t offset;
  unsigned short length;
  unsigned char type;
  char name[1];
};

// The parent named in /proc/<pid>/stat ("pid (name) state ppid ..."; the
// name may hold blanks and parentheses, so the last ')' ends it); -1 when
// it cannot be read. Async-signal-safe.
pid_t ParentOf(const char* pid) {
  char path[64] = "/proc/";
  size_t at = std::strlen(path);
  for (const char* c = pid; *c != '\0' && at < sizeof path - 6; ++c) path[at++] = *c;
  std::memcpy(path + at, "/stat", 6);
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd == kNoFd) return -1;
  char text[512];
  const ssize_t got = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (got <= 0) return -1;
  const char* end = nullptr;
  for (ssize_t i = 0; i < got; ++i)
    if (text[i] == ')') end = text + i;
  // ") S 1234"
  if (end == nullptr || end + 4 >= text + got) return -1;
  pid_t parent = 0;
  for (const char* c = end + 4; c < text + got && *c >= '0' && *c <= '9'; ++c)
    parent = parent * 10 + (*c - '0');
  return parent;
}

// Sends SIGKILL to every child of `self` that /proc lists; how many it
// found. Async-signal-safe: getdents64 and read, no allocation.
int KillChildrenOf(pid_t self) {
  const int proc = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (proc == kNoFd) return 0;
  int found = 0;
  alignas(DirectoryEntry) char entries[8192];
  for (;;) {
    const long got = ::syscall(SYS_getdents64, proc, entries, sizeof entries);
    if (got <= 0) break;
    for (long at = 0; at < got;) {
      const auto* entry = reinterpret_cast<const DirectoryEntry*>(entries + at);
      at += entry->length;
      const char first = entry->name[0];
      if (first < '1' || first > '9' || ParentOf(entry->name) != self) continue;
      pid_t child = 0;
      for (const char* c = entry->name; *c != '\0'; ++c) child = child * 10 + (*c - '0');
      ::kill(child, SIGKILL);
      ++found;
    }
  }
  ::close(proc);
  return found;
}

// Ends every process below the guard. As a child subreaper the guard
// inherits whatever loses its parent below it, a new session (setsid)
// included: each round kills its children, whose own children then become
// its children, until none is left. Children that /proc does not show (no
// /proc) are left to the system.
void EndDescendants(pid_t self) {
  for (;;) {
    const bool found = KillChildrenOf(self) > 0;
    const pid_t reaped = ::waitpid(-1, nullptr, found ? 0 : WNOHANG);
    if (reaped < 0 && errno == EINTR) continue;
    if (reaped <= 0) return;
  }
}

// The descriptors the guard of a tool works with, and those of this
// program's ends that it must close so that only this program holds them.
struct GuardEnds {
  int control;  // reads what this program asks; its end means this program ended
  int result;   // receives the tool's wait status
  int report;   // receives errno when the tool could not be started
  int ours[3];  // this program's ends of the three pipes
};

// Waits for the tool, carries out what this program asks and, once the tool
// has ended or this program has (a kill -9 included), ends everything below
// the guard before it ends itself. Async-signal-safe calls only.
[[noreturn]] void GuardTool(pid_t self, pid_t tool, const GuardEnds& ends) {
  const int toolFd = static_cast<int>(::syscall(SYS_pidfd_open, tool, 0));
  for (;;) {
    std::array<pollfd, 2> watched{pollfd{ends.control, POLLIN, 0}, pollfd{toolFd, POLLIN, 0}};
    ::poll(watched.data(), toolFd == kNoFd ? 1 : 2, toolFd == kNoFd ? kGuardLookMs : -1);
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(tool), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == tool) {
      // Unreaped until its group is ended, so that the group id is not reused.
      ::kill(-tool, SIGKILL);
      int status = 0;
      while (::waitpid(tool, &status, 0) < 0 && errno == EINTR) {
      }
      EndDescendants(self);
      [[maybe_unused]] const ssize_t told = ::write(ends.result, &status, sizeof status);
      ::_exit(0);
    }
    if (watched[0].revents == 0) continue;
    char asked = 0;
    const ssize_t got = ::read(ends.control, &asked, 1);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ::kill(-tool, SIGKILL);
      EndDescendants(self);
      ::_exit(0);
    }
    if (asked == kAskToEnd) ::kill(-tool, SIGTERM);
    if (asked == kEndNow) ::kill(-tool, SIGKILL);
  }
}

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

// In the tool between fork and exec: only async-signal-safe calls, since
// this program may have other threads. A failure is written to `report` as
// errno.
[[noreturn]] void ExecChild(const char* program, char* const* argv, const ChildStreams& streams,
                            pid_t guard, int report) {
  ::setpgid(0, 0);
  // Dies with its guard, a SIGKILL included; a guard already gone is noticed
  // right after.
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (::getppid() != guard) ::_exit(127);
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

// The guard between fork and its own end: a process of its own group (a
// signal to this program's group does not reach it), a child subreaper
// before the tool exists, so that nothing the tool starts can leave it.
[[noreturn]] void RunGuard(const char* program, char* const* argv, const ChildStreams& streams,
                           pid_t parent, const GuardEnds& ends) {
  sigset_t all;
  sigfillset(&all);
  ::sigprocmask(SIG_SETMASK, &all, nullptr);
  for (int ours : ends.ours) ::close(ours);
  ::setpgid(0, 0);
  ::prctl(PR_SET_CHILD_SUBREAPER, 1);
  if (::getppid() != parent) ::_exit(127);
  const pid_t self = ::getpid();
  const pid_t tool = ::fork();
  if (tool == 0) ExecChild(program, argv, streams, self, ends.report);
  if (tool < 0) {
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(ends.report, &error, sizeof error);
    ::_exit(127);
  }
  ::setpgid(tool, tool);  // also here, so that the group exists before any signal to it
  ::close(ends.report);
  for (int stream : {streams.input, streams.output, streams.error})
    if (stream != kOurStream) ::close(stream);
  GuardTool(self, tool, ends);
}

// A tool and the guard process this program starts it through. The guard
// ends the tool's process group when asked, and when the tool or this
// program ends (by a kill -9 too) it ends everything the tool started,
// whatever session or group that joined. Left by an exception, the object
// has the tool ended and the guard reaped: no tool runs on unattended.
class GuardedTool {
 public:
  GuardedTool() = default;
  ~GuardedTool() {
    if (!guard_) return;
    ask(ChildAction::Kill);
    control_ = UniqueFd();
    while (::waitpid(*guard_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  GuardedTool(const GuardedTool&) = delete;
  GuardedTool& operator=(const GuardedTool&) = delete;

  // Starts the tool; false when it could not be started, with the system's
  // reason in `error`.
  bool start(const std::vector<std::string>& argv, const ChildStreams& streams, int& error);
  pid_t guard() const { return *guard_; }

  // Carries out what the waiting side asks, each request once.
  void ask(ChildAction action) {
    const bool first = action == ChildAction::Terminate ? !std::exchange(askedToEnd_, true)
                       : action == ChildAction::Kill    ? !std::exchange(endedNow_, true)
                                                        : false;
    if (!first) return;
    const char byte = action == ChildAction::Terminate ? kAskToEnd : kEndNow;
    // A guard that has just ended must not end this program by SIGPIPE.
    [[maybe_unused]] const ssize_t told = ::send(control_.get(), &byte, 1, MSG_NOSIGNAL);
  }

  // After the guard has been reaped: how the tool ended, as the guard told it.
  void ended(ProcessOutcome& outcome) {
    guard_.reset();
    int status = 0;
    if (::read(result_.get(), &status, sizeof status) == sizeof status) Record(status, outcome);
  }
  // The guard's end cannot be waited for (SIGCHLD ignored): the status is lost.
  void lost() { guard_.reset(); }

 private:
  std::optional<pid_t> guard_;
  UniqueFd control_;
  UniqueFd result_;
  bool askedToEnd_ = false;
  bool endedNow_ = false;
};

bool GuardedTool::start(const std::vector<std::string>& argv, const ChildStreams& streams,
                        int& error) {
  const std::string program = ProgramPath(argv[0]);
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  int report[2], control[2], result[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    error = errno;
    return false;
  }
  UniqueFd reportRead(report[0]), reportWrite(report[1]);
  // A socket, so that a request to a guard that has ended fails quietly.
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, control) != 0) {
    error = errno;
    return false;
  }
  UniqueFd controlRead(control[0]);
  control_ = UniqueFd(control[1]);
  if (::pipe2(result, O_CLOEXEC) != 0) {
    error = errno;
    return false;
  }
  result_ = UniqueFd(result[0]);
  UniqueFd resultWrite(result[1]);

  const GuardEnds ends{control[0], result[1], report[1], {report[0], control[1], result[0]}};
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) RunGuard(program.c_str(), args.data(), streams, parent, ends);
  error = errno;
  if (pid < 0) return false;
  guard_ = pid;
  reportWrite = UniqueFd();
  // The reporting end closes with the tool's exec: nothing read means it started.
  error = 0;
  ssize_t got = 0;
  do {
    got = ::read(reportRead.get(), &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  if (got <= 0) return true;
  // The guard ends by itself once its tool has.
  while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  guard_.reset();
  return false;
}

// The tool and what it was started with. The tool is declared before the
// capture, so that a child ended by the destructor has its pipes closed
// first: a tool blocked on a full pipe then ends instead of waiting forever.
class PosixChild final : public RunningChild {
 public:
  PosixChild(ChildOutput output, ExitNotice notice)
      : output_(output), notice_(notice), capture_(output) {}

  bool start(const std::string& commandLine, const std::string& folder,
             std::string& error) override {
    const std::vector<std::string> argv = SplitCommandLine(commandLine);
    if (argv.empty() || argv[0].empty()) return false;
    ChildStreams streams{input_.get(), kOurStream, kOurStream,
                         folder.empty() ? nullptr : folder.c_str()};
    if (capture_.active()) {
      streams.output = capture_.writeEnd(0);
      streams.error = capture_.writeEnd(1);
    } else if (output_ != ChildOutput::Inherit) {
      // Also output that cannot be captured (no pipes to be had).
      streams.output = streams.error = discard_.get();
    }
    int startError = 0;
    if (!tool_.start(argv, streams, startError)) {
      error = std::strerror(startError);
      return false;
    }
    capture_.childStarted();
    watch_.emplace(tool_.guard(), notice_);
    return true;
  }

  bool waitUpTo(std::chrono::milliseconds time) override {
    if (time != kUntilEnded && (!capture_.active() || !capture_.waitUpTo(time, watch_->fd())))
      watch_->waitUpTo(time);
    return reaped(time == kUntilEnded);
  }

  void ask(ChildAction action) override { tool_.ask(action); }

  void finish(ProcessOutcome& outcome) override {
    outcome.exitCode = status_.exitCode;
    outcome.signal = status_.signal;
    if (!capture_.active()) return;
    capture_.drain();
    outcome.stdoutTail = capture_.tail(0);
    outcome.stderrTail = capture_.tail(1);
  }

 private:
  // True once the guard has ended; `block` waits for that.
  bool reaped(bool block) {
    for (;;) {
      siginfo_t info{};
      const int seen =
          ::waitid(P_PID, static_cast<id_t>(tool_.guard()), &info, WEXITED | (block ? 0 : WNOHANG));
      if (seen == 0 && info.si_pid == tool_.guard()) {
        tool_.ended(status_);
        return true;
      }
      if (seen == 0) return false;
      if (errno == EINTR) continue;
      tool_.lost();  // e.g. ECHILD when SIGCHLD is ignored: the status is lost
      return true;
    }
  }

  const ChildOutput output_;
  const ExitNotice notice_;
  GuardedTool tool_;
  OutputCapture capture_;
  const UniqueFd input_ = NullDevice(O_RDONLY);
  const UniqueFd discard_ = NullDevice(O_WRONLY);
  std::optional<ChildExitWatch> watch_;
  ProcessOutcome status_;
};

}  // namespace

std::unique_ptr<RunningChild> MakeChild(ChildOutput output, ExitNotice notice) {
  return std::make_unique<PosixChild>(output, notice);
}

}  // namespace xkm
