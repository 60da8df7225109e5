#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <system_error>
#include <vector>

#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/os/regedit_text.h"
#include "core/platform/os/user_store.h"
#include "core/platform/text/letter_case.h"

namespace xkm::user_store {
namespace {

constexpr const char* kSource = "UserStore";

Store Load(const std::string& path) {
  std::string bytes;
  try {
    bytes = fs::ReadAllBytes(path);
  } catch (const Error& e) {
    if (e.number() == platform_error::kFileNotFound) return {};
    throw;
  }
  return Parse(path, bytes);
}

// "<name>.damaged-YYYYMMDD-HHMMSS.reg" beside the store file, with a number
// added when that name is taken.
std::string DamagedFileName(const std::string& path) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = path.substr(0, path.size() - 4) + ".damaged-" + stamp;
  std::string candidate = base + ".reg";
  for (int n = 2; std::filesystem::exists(candidate); ++n)
    candidate = base + "-" + std::to_string(n) + ".reg";
  return candidate;
}

void Save(const std::string& path, const Store& store) {
  std::error_code error;
  std::filesystem::create_directories(StoreFolder(), error);
  if (error) throw platform_error::FileSystem(error.value(), StoreFolder(), kSource);
  fs::WriteFileAtomic(path, Format(store));
}

// Key paths and names become one line of the file; a line break would split it.
void CheckName(std::string_view text) {
  if (HasControlCharacter(text)) throw platform_error::InvalidProcedureCall(kSource);
}

void SetValues(int32_t root, std::string_view keyPath,
               std::vector<std::pair<std::string, StoreValue>> values) {
  CheckName(keyPath);
  for (const auto& [name, value] : values) CheckName(name);
  const std::string path = StoreFilePath(root);
  Store store = Load(path);
  Key* key = FindKey(store, keyPath);
  if (key == nullptr) key = &store.emplace_back(Key{std::string(keyPath), {}});
  for (auto& entry : values) PutValue(*key, std::move(entry.first), std::move(entry.second));
  Save(path, store);
}

void SetValue(int32_t root, std::string_view keyPath, std::string_view valueName,
              StoreValue value) {
  std::vector<std::pair<std::string, StoreValue>> values;
  values.emplace_back(std::string(valueName), std::move(value));
  SetValues(root, keyPath, std::move(values));
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr)
    return entry->pw_dir;
  throw Error(platform_error::kPathFileAccess, "No home folder for the user store", kSource);
}

}  // namespace

std::string StoreFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/xkmtool";
  return HomeFolder() + "/.config/xkmtool";
}

std::string StoreFilePath(int32_t root) {
  std::string name;
  if (root == kCurrentUserRoot)
    name = "HKEY_CURRENT_USER.reg";
  else if (root == kLocalMachineRoot)
    name = "HKEY_LOCAL_MACHINE.reg";
  else
    name = "ROOT_" + std::to_string(root) + ".reg";
  return StoreFolder() + fs::kSeparator + name;
}

std::optional<StoreValue> FindValue(int32_t root, std::string_view keyPath,
                                    std::string_view valueName) {
  Store store = Load(StoreFilePath(root));
  Key* key = FindKey(store, keyPath);
  if (key == nullptr) return std::nullopt;
  for (Entry& entry : key->values)
    if (SameName(entry.name, valueName)) return std::move(entry.value);
  return std::nullopt;
}

void SetString(int32_t root, std::string_view keyPath, std::string_view valueName,
               std::string_view value) {
  SetValue(root, keyPath, valueName, {StoreValue::Type::String, std::string(value), 0});
}

void SetDword(int32_t root, std::string_view keyPath, std::string_view valueName, uint32_t value) {
  SetValue(root, keyPath, valueName, {StoreValue::Type::Dword, {}, value});
}

void SetStrings(int32_t root, std::string_view keyPath,
                const std::vector<std::pair<std::string, std::string>>& values) {
  std::vector<std::pair<std::string, StoreValue>> strings;
  strings.reserve(values.size());
  for (const auto& [name, text] : values)
    strings.emplace_back(name, StoreValue{StoreValue::Type::String, text, 0});
  SetValues(root, keyPath, std::move(strings));
}

std::optional<Recovery> RecoverDamagedStore(int32_t root) {
  const std::string path = StoreFilePath(root);
  std::string bytes;
  try {
    bytes = fs::ReadAllBytes(path);
  } catch (const Error& e) {
    if (e.number() == platform_error::kFileNotFound) return std::nullopt;
    throw;
  }
  try {
    Parse(path, bytes);
    return std::nullopt;
  } catch (const Error& e) {
    if (e.number() != kInvalidFileFormat) throw;
  }
  Recovery recovery;
  const Store salvaged = ParseSalvaging(path, bytes, recovery.problem);
  recovery.movedTo = DamagedFileName(path);
  std::error_code error;
  std::filesystem::rename(path, recovery.movedTo, error);
  if (error) throw platform_error::FileSystem(error.value(), path, kSource);
  Save(path, salvaged);
  return recovery;
}

}  // namespace xkm::user_store
