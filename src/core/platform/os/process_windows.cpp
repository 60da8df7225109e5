#include <windows.h>

#include <array>
#include <string>
#include <utility>

#include "core/platform/os/process.h"
#include "core/platform/os/running_child.h"
#include "core/platform/os/win32_support.h"

namespace xkm {
namespace {

// After the child's end, how long the capture waits for more output before it
// gives up on a grandchild that still holds a pipe open.
constexpr DWORD kQuietAfterEndMs = 500;

using win32::Handle;

SECURITY_ATTRIBUTES Inheritable() {
  return SECURITY_ATTRIBUTES{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
}

// The one job that holds every tool this program starts. Windows closes its
// last handle when this program ends, however it ends, and then ends whatever
// still runs in it: no tool outlives the program. A crashing tool in it ends
// at once instead of waiting on an error dialog nobody may see.
// The exit status of a tool this program ended: what Windows gives a console
// program ended by Ctrl+C (STATUS_CONTROL_C_EXIT).
constexpr UINT kEndedExitCode = 0xC000013A;

HANDLE ToolJob() {
  static const HANDLE job = [] {
    HANDLE created = CreateJobObjectW(nullptr, nullptr);
    if (created == nullptr) return created;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    // Neither JOB_OBJECT_LIMIT_BREAKAWAY_OK nor SILENT_BREAKAWAY_OK: whatever
    // a tool starts stays in the job, whatever flags it asks for.
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (!SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
      CloseHandle(created);
      return HANDLE{};
    }
    return created;
  }();
  return job;
}

// One captured output stream: a pipe whose writing end the child inherits and
// whose reading end is read with overlapped I/O, so that one wait covers the
// child and both streams and a full pipe never blocks the child. Only the
// last kCapturedTailBytes are kept.
class CapturedStream {
 public:
  CapturedStream() = default;
  ~CapturedStream() { stop(); }
  CapturedStream(const CapturedStream&) = delete;
  CapturedStream& operator=(const CapturedStream&) = delete;

  // Creates the pipe; `index` tells the two streams of one run apart.
  bool open(int index) {
    // Unique among the live pipes of all processes: the process id and this
    // object's address.
    const std::wstring name = L"\\\\.\\pipe\\xkmtool-" + std::to_wstring(GetCurrentProcessId()) +
                              L"-" + std::to_wstring(reinterpret_cast<uintptr_t>(this)) + L"-" +
                              std::to_wstring(index);
    readEnd_ = Handle(CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0, 65536, 0, nullptr));
    if (!readEnd_) return false;
    SECURITY_ATTRIBUTES inheritable = Inheritable();
    writeEnd_ = Handle(CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    event_ = Handle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return writeEnd_ && event_;
  }

  HANDLE writeEnd() const { return writeEnd_.get(); }
  HANDLE event() const { return event_.get(); }
  bool pending() const { return pending_; }

  // After the start only the child may hold the writing end, so that its end
  // shows as the end of the pipe.
  void childStarted() {
    writeEnd_.reset();
    read();
  }

  // Takes a read that has completed and starts the next one.
  void onEvent() {
    if (!pending_) return;
    DWORD got = 0;
    if (GetOverlappedResult(readEnd_.get(), &overlapped_, &got, FALSE)) {
      pending_ = false;
      keep(got);
      read();
    } else if (GetLastError() != ERROR_IO_INCOMPLETE) {
      pending_ = false;  // the pipe's end
    }
  }

  // Cancels a read still under way, keeping what it brought.
  void stop() {
    if (!pending_) return;
    CancelIoEx(readEnd_.get(), &overlapped_);
    DWORD got = 0;
    if (GetOverlappedResult(readEnd_.get(), &overlapped_, &got, TRUE)) keep(got);
    pending_ = false;
  }

  std::string tail() const { return tail_.text(); }

 private:
  // Reads until a read has to wait or the pipe has ended.
  void read() {
    while (true) {
      overlapped_ = OVERLAPPED{};
      overlapped_.hEvent = event_.get();
      DWORD got = 0;
      if (ReadFile(readEnd_.get(), buffer_.data(), static_cast<DWORD>(buffer_.size()), &got,
                   &overlapped_)) {
        keep(got);
        continue;
      }
      pending_ = GetLastError() == ERROR_IO_PENDING;  // else the pipe's end
      return;
    }
  }

  void keep(DWORD count) { tail_.append(buffer_.data(), count); }

  Handle readEnd_;
  Handle writeEnd_;
  Handle event_;
  OVERLAPPED overlapped_{};
  bool pending_ = false;
  std::array<char, 16384> buffer_{};
  OutputTail tail_;
};

// An inheritable handle on the NUL device.
Handle NullDevice(DWORD access) {
  SECURITY_ATTRIBUTES inheritable = Inheritable();
  return Handle(CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// An inheritable copy of one of our standard handles; NUL when we have none.
Handle InheritableStandard(DWORD which) {
  HANDLE own = GetStdHandle(which);
  HANDLE copy = nullptr;
  if (own == nullptr || own == INVALID_HANDLE_VALUE ||
      !DuplicateHandle(GetCurrentProcess(), own, GetCurrentProcess(), &copy, 0, TRUE,
                       DUPLICATE_SAME_ACCESS))
    return NullDevice(GENERIC_WRITE);
  return Handle(copy);
}

// Waits up to `timeout` for the process or a pending read; completed reads are
// taken. True when the process has ended.
bool WaitOnce(HANDLE process, std::array<CapturedStream, 2>& streams, DWORD timeout) {
  std::array<HANDLE, 3> handles{process};
  DWORD count = 1;
  for (const CapturedStream& stream : streams)
    if (stream.pending()) handles[count++] = stream.event();
  if (WaitForMultipleObjects(count, handles.data(), FALSE, timeout) == WAIT_FAILED)
    WaitForSingleObject(process, timeout);  // never a busy loop
  for (CapturedStream& stream : streams) stream.onEvent();
  return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

// Takes the output the ended child left in the pipes, until both have ended or
// nothing more comes for a while (a grandchild may hold them open).
void TakeRemainingOutput(std::array<CapturedStream, 2>& streams) {
  while (streams[0].pending() || streams[1].pending()) {
    std::array<HANDLE, 2> events{};
    DWORD count = 0;
    for (const CapturedStream& stream : streams)
      if (stream.pending()) events[count++] = stream.event();
    const DWORD woken = WaitForMultipleObjects(count, events.data(), FALSE, kQuietAfterEndMs);
    if (woken == WAIT_TIMEOUT || woken == WAIT_FAILED) break;
    for (CapturedStream& stream : streams) stream.onEvent();
  }
  for (CapturedStream& stream : streams) stream.stop();
}

class WindowsChild final : public RunningChild {
 public:
  explicit WindowsChild(ChildOutput output) : output_(output) {}
  // Windows has no polite request to a console-less program: ending means
  // ending the job, which holds this tool and whatever it started (tools run
  // one at a time). Without a job only the tool itself can be ended.
  ~WindowsChild() override {
    if (!process_ || WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0) return;
    ask(ChildAction::Kill);
    WaitForSingleObject(process_.get(), INFINITE);
  }
  WindowsChild(const WindowsChild&) = delete;
  WindowsChild& operator=(const WindowsChild&) = delete;

  bool start(const std::string& commandLine, const std::string& workingFolder,
             std::string& error) override {
    capturing_ = output_ == ChildOutput::Capture && streams_[0].open(0) && streams_[1].open(1);
    StandardHandles own = ownStandardHandles();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = own.input.get();
    startup.hStdOutput = capturing_ ? streams_[0].writeEnd() : own.output.get();
    startup.hStdError = capturing_ ? streams_[1].writeEnd() : own.error.get();
    // Suspended until it is in the job, so that nothing it starts escapes it. A
    // tool whose output goes nowhere visible gets no console window of its own.
    DWORD flags = CREATE_SUSPENDED | NORMAL_PRIORITY_CLASS;
    if (output_ != ChildOutput::Inherit) flags |= CREATE_NO_WINDOW;
    // CreateProcessW may write into the command line it is given.
    std::wstring line = win32::Wide(commandLine);
    PROCESS_INFORMATION info{};
    // "C:" alone (what splitting "C:\ecu.hex" leaves) would mean drive C's
    // current folder; the folder meant is the root.
    const bool bareDrive = workingFolder.size() == 2 && workingFolder[1] == ':';
    const std::wstring folder = win32::Wide(bareDrive ? workingFolder + "\\" : workingFolder);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, flags, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
      error = win32::Reason(::GetLastError());
      return false;
    }
    process_ = Handle(info.hProcess);
    Handle thread(info.hThread);
    inJob_ = ToolJob() != nullptr && AssignProcessToJobObject(ToolJob(), process_.get());
    ResumeThread(thread.get());
    for (CapturedStream& stream : streams_) stream.childStarted();
    return true;
  }

  bool waitUpTo(std::chrono::milliseconds time) override {
    return WaitOnce(process_.get(), streams_,
                    time == kUntilEnded ? INFINITE : static_cast<DWORD>(time.count()));
  }

  void ask(ChildAction action) override {
    if (action == ChildAction::Wait || std::exchange(ended_, true)) return;
    if (!inJob_ || !TerminateJobObject(ToolJob(), kEndedExitCode))
      TerminateProcess(process_.get(), kEndedExitCode);
  }

  void finish(ProcessOutcome& outcome) override {
    DWORD exitCode = 0;
    if (GetExitCodeProcess(process_.get(), &exitCode))
      outcome.exitCode = static_cast<int>(exitCode);
    if (!capturing_) return;
    TakeRemainingOutput(streams_);
    outcome.stdoutTail = streams_[0].tail();
    outcome.stderrTail = streams_[1].tail();
  }

 private:
  // The child's standard handles other than captured pipes, closed here once
  // it has started (it holds its own copies).
  struct StandardHandles {
    Handle input = NullDevice(GENERIC_READ);
    Handle output;
    Handle error;
  };
  StandardHandles ownStandardHandles() const {
    StandardHandles handles;
    if (output_ == ChildOutput::Inherit) {
      handles.output = InheritableStandard(STD_OUTPUT_HANDLE);
      handles.error = InheritableStandard(STD_ERROR_HANDLE);
    } else if (!capturing_) {  // discarded, or no pipes to be had
      handles.output = NullDevice(GENERIC_WRITE);
      handles.error = NullDevice(GENERIC_WRITE);
    }
    return handles;
  }

  const ChildOutput output_;
  std::array<CapturedStream, 2> streams_;
  bool capturing_ = false;
  Handle process_;
  bool inJob_ = false;
  bool ended_ = false;
};

}  // namespace

std::unique_ptr<RunningChild> MakeChild(ChildOutput output, ExitNotice /*notice*/) {
  return std::make_unique<WindowsChild>(output);
}

}  // namespace xkm
