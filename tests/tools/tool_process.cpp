#include "tool_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <stdexcept>

extern char** environ;

#ifndef XKM_TOOLS_DIR
#error "XKM_TOOLS_DIR must name the folder of the built sample tools"
#endif

namespace xkm::test {

ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& folder, const Environment& env) {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::string(*entry).rfind("XKM_TOOL_", 0) != 0) environment.emplace_back(*entry);
  }
  for (const auto& [name, value] : env) environment.push_back(name + "=" + value);

  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const std::string& entry : environment) envp.push_back(const_cast<char*>(entry.c_str()));
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int error =
      posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + program);

  int status = 0;
  waitpid(pid, &status, 0);
  ProcessResult result;
  if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

ProcessResult RunSampleTool(const std::string& tool, const std::vector<std::string>& args,
                            const std::string& folder, const Environment& env) {
  return RunProcess(std::string(XKM_TOOLS_DIR) + "/" + tool, args, folder, env);
}

std::string WriteImage(const std::string& folder, const std::string& name,
                       const std::vector<ImageChunk>& chunks, const std::string& format) {
  std::vector<std::string> args;
  for (std::size_t i = 0; i < chunks.size(); ++i) {
    const std::string chunkFile = folder + "/" + name + ".chunk" + std::to_string(i);
    std::ofstream(chunkFile, std::ios::binary) << chunks[i].bytes;
    args.insert(args.end(), {chunkFile, "-binary", "-offset", std::to_string(chunks[i].address)});
  }
  const std::string path = folder + "/" + name;
  args.insert(args.end(), {"-o", path, format});
  if (RunProcess("srec_cat", args, folder).exitCode != 0) {
    throw std::runtime_error("srec_cat could not write " + path);
  }
  return path;
}

std::uint32_t ReferenceCrc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string BigEndian32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

}  // namespace xkm::test
