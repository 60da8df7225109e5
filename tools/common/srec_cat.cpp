#include "common/srec_cat.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstring>

#include "common/file_io.h"
#include "common/text.h"
#include "common/tool_error.h"

extern char** environ;

namespace xkm::tools {
namespace {

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return status;
}

std::string Complaint(const TempFile& errors) {
  std::string text;
  for (const std::string& line : SplitLines(ReadFileBytes(errors.path()))) {
    if (!text.empty()) text += "; ";
    text += line;
  }
  return text.empty() ? "no message" : text;
}

}  // namespace

void RunSrecCat(const std::vector<std::string>& args) {
  const std::string program = XKM_SREC_CAT;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  TempFile errors;
  SpawnActions actions;
  posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(actions.get(), 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(actions.get(), 2, errors.path().c_str(), O_WRONLY | O_TRUNC, 0);

  pid_t pid = 0;
  const int spawnError =
      posix_spawnp(&pid, program.c_str(), actions.get(), nullptr, argv.data(), environ);
  if (spawnError != 0) {
    throw ToolError("cannot start " + program + ": " + std::strerror(spawnError));
  }
  const int status = WaitFor(pid);
  if (status < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw ToolError("srec_cat failed: " + Complaint(errors));
  }
}

std::string SrecCatPath(const std::string& path) {
  return !path.empty() && path.front() == '-' ? "./" + path : path;
}

}  // namespace xkm::tools
