#include <windows.h>

#include <filesystem>
#include <stdexcept>
#include <vector>

#include "core/platform/os/win32_support.h"
#include "core/toolchain/command_text.h"
#include "support/child_process.h"
#include "support/scratch_folder.h"

namespace xkm::test {
namespace {

// The environment block of the child, in the form CreateProcessW takes.
std::wstring EnvironmentBlock(const ChildCommand& command) {
  std::vector<std::string> own;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1)
    own.push_back(win32::Utf8(entry));
  FreeEnvironmentStringsW(strings);
  std::wstring block;
  for (const std::string& entry : ChildEnvironment(command, own))
    block += win32::Wide(entry) + L'\0';
  return block + L'\0';
}

// An inheritable handle on a new temporary file for one of the child's streams.
HANDLE OutputFile(std::string& path) {
  wchar_t folder[MAX_PATH + 1];
  wchar_t name[MAX_PATH + 1];
  if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"xkc", 0, name) == 0)
    throw std::runtime_error("cannot create a file for the child's output");
  path = win32::Utf8(name);
  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE file = CreateFileW(name, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inheritable,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open the child's output file");
  return file;
}

HANDLE ProcessOf(void* handle) {
  return static_cast<HANDLE>(handle);
}

}  // namespace

Child::Child(const ChildCommand& command)
    : program_(command.argv.empty() ? std::string() : command.argv[0]),
      deadline_(std::chrono::steady_clock::now() + command.timeLimit),
      timeLimit_(command.timeLimit) {
  if (command.argv.empty()) throw std::runtime_error("a child needs a program");
  if (command.fileSizeLimit || command.withoutFileCapabilities)
    throw std::runtime_error("Windows has no such limit for a child");
  std::string line = "\"" + command.argv[0] + "\"";
  for (size_t i = 1; i < command.argv.size(); ++i) line += " " + QuoteArgument(command.argv[i]);
  std::wstring wideLine = win32::Wide(line);
  std::wstring environment = EnvironmentBlock(command);
  const std::wstring folder = win32::Wide(command.workingFolder);

  SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE input = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  HANDLE out = OutputFile(outPath_);
  HANDLE err = OutputFile(errPath_);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION info{};
  // A group of its own, so that a Ctrl+Break can be sent to it alone.
  const BOOL started =
      CreateProcessW(nullptr, wideLine.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP, environment.data(),
                     folder.empty() ? nullptr : folder.c_str(), &startup, &info);
  CloseHandle(input);
  CloseHandle(out);
  CloseHandle(err);
  if (!started) throw std::runtime_error("cannot start " + program_);
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = static_cast<int>(info.dwProcessId);
}

Child::~Child() {
  if (process_ != nullptr) {
    TerminateProcess(ProcessOf(process_), 1);
    WaitForSingleObject(ProcessOf(process_), INFINITE);
    CloseHandle(ProcessOf(process_));
  }
  std::error_code ignored;
  for (const std::string& path : {outPath_, errPath_})
    std::filesystem::remove(std::filesystem::path(win32::Wide(path)), ignored);
}

void Child::kill() const {
  TerminateProcess(ProcessOf(process_), 1);
}

ChildResult Child::wait() {
  ChildResult result;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline_ - std::chrono::steady_clock::now());
  const DWORD limit = left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
  if (WaitForSingleObject(ProcessOf(process_), limit) != WAIT_OBJECT_0) {
    TerminateProcess(ProcessOf(process_), 1);
    WaitForSingleObject(ProcessOf(process_), INFINITE);
    result.timedOut = true;
    ReportTimeLimit(program_, timeLimit_);
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(ProcessOf(process_), &exitCode);
  if (!result.timedOut) result.exitCode = static_cast<int>(exitCode);
  CloseHandle(ProcessOf(process_));
  process_ = nullptr;
  result.out = ReadFileBytes(outPath_);
  result.err = ReadFileBytes(errPath_);
  return result;
}

bool ResourceLimitsExist() {
  return false;
}

}  // namespace xkm::test
