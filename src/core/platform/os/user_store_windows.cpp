#include <windows.h>

#include <algorithm>
#include <cstring>

#include "core/platform/error.h"
#include "core/platform/os/user_store.h"
#include "core/platform/os/win32_support.h"

namespace xkm::user_store {
namespace {

constexpr const char* kSource = "UserStore";

// A root number is the registry's own predefined key value, sign-extended as
// the registry headers define them (HKEY_CURRENT_USER is (LONG)0x80000001).
HKEY RootKey(int32_t root) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr): predefined keys are numbers by definition
  return reinterpret_cast<HKEY>(static_cast<intptr_t>(root));
}

std::string Where(int32_t root, std::string_view keyPath) {
  return StoreFilePath(root) + "\\" + std::string(keyPath);
}

class OpenKey {
 public:
  OpenKey() = default;
  ~OpenKey() {
    if (key_ != nullptr) ::RegCloseKey(key_);
  }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;
  HKEY* out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

void CreateKey(OpenKey& key, int32_t root, std::string_view keyPath) {
  const LSTATUS status =
      ::RegCreateKeyExW(RootKey(root), win32::Wide(keyPath).c_str(), 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.out(), nullptr);
  if (status != ERROR_SUCCESS)
    throw win32::FileError(static_cast<DWORD>(status), Where(root, keyPath), kSource);
}

void Put(HKEY key, const std::wstring& name, DWORD type, const void* data, size_t size,
         int32_t root, std::string_view keyPath) {
  const LSTATUS status = ::RegSetValueExW(key, name.c_str(), 0, type,
                                          static_cast<const BYTE*>(data), static_cast<DWORD>(size));
  if (status != ERROR_SUCCESS)
    throw win32::FileError(static_cast<DWORD>(status), Where(root, keyPath), kSource);
}

void PutString(HKEY key, const std::string& name, const std::string& value, int32_t root,
               std::string_view keyPath) {
  // REG_SZ data carries its terminating NUL.
  const std::wstring text = win32::Wide(value);
  Put(key, win32::Wide(name), REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t), root,
      keyPath);
}

// The value as it is now, to be put back when a later write of the same batch fails.
bool Current(HKEY key, const std::wstring& name, DWORD& type, std::string& raw) {
  DWORD size = 0;
  if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  raw.assign(size, '\0');
  if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(raw.data()),
                         &size) != ERROR_SUCCESS)
    return false;
  raw.resize(size);
  return true;
}

}  // namespace

std::string StoreFolder() {
  return {};  // the registry is no folder
}

std::string StoreFilePath(int32_t root) {
  if (root == kCurrentUserRoot) return "HKEY_CURRENT_USER";
  if (root == kLocalMachineRoot) return "HKEY_LOCAL_MACHINE";
  return "ROOT_" + std::to_string(root);
}

std::optional<StoreValue> FindValue(int32_t root, std::string_view keyPath,
                                    std::string_view valueName) {
  OpenKey key;
  LSTATUS status =
      ::RegOpenKeyExW(RootKey(root), win32::Wide(keyPath).c_str(), 0, KEY_QUERY_VALUE, key.out());
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (status != ERROR_SUCCESS)
    throw win32::FileError(static_cast<DWORD>(status), Where(root, keyPath), kSource);
  const std::wstring name = win32::Wide(valueName);
  DWORD type = 0;
  DWORD size = 0;
  status = ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (status != ERROR_SUCCESS)
    throw win32::FileError(static_cast<DWORD>(status), Where(root, keyPath), kSource);
  std::string data(size, '\0');
  status = ::RegQueryValueExW(key.get(), name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(data.data()), &size);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;  // removed meanwhile
  if (status != ERROR_SUCCESS)
    throw win32::FileError(static_cast<DWORD>(status), Where(root, keyPath), kSource);
  data.resize(size);

  StoreValue value;
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::wstring text(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data.data(), text.size() * sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') text.pop_back();
    value.text = win32::Utf8(text);
  } else if (type == REG_DWORD && data.size() == sizeof(DWORD)) {
    value.type = StoreValue::Type::Dword;
    for (size_t i = sizeof(DWORD); i-- > 0;)
      value.number = value.number * 256 + static_cast<unsigned char>(data[i]);
  } else {
    value.type = StoreValue::Type::Other;
  }
  return value;
}

void SetString(int32_t root, std::string_view keyPath, std::string_view valueName,
               std::string_view value) {
  OpenKey key;
  CreateKey(key, root, keyPath);
  PutString(key.get(), std::string(valueName), std::string(value), root, keyPath);
}

void SetDword(int32_t root, std::string_view keyPath, std::string_view valueName, uint32_t value) {
  OpenKey key;
  CreateKey(key, root, keyPath);
  const DWORD number = value;
  Put(key.get(), win32::Wide(valueName), REG_DWORD, &number, sizeof number, root, keyPath);
}

void SetStrings(int32_t root, std::string_view keyPath,
                const std::vector<std::pair<std::string, std::string>>& values) {
  OpenKey key;
  CreateKey(key, root, keyPath);
  // The registry has no batch write: what was there is remembered, and put
  // back when a later value of the batch cannot be written.
  struct Previous {
    std::wstring name;
    bool existed = false;
    DWORD type = 0;
    std::string raw;
  };
  std::vector<Previous> written;
  try {
    for (const auto& [name, text] : values) {
      Previous previous;
      previous.name = win32::Wide(name);
      previous.existed = Current(key.get(), previous.name, previous.type, previous.raw);
      written.push_back(previous);
      PutString(key.get(), name, text, root, keyPath);
    }
  } catch (...) {
    // Undone last first, so that each value gets back what it held before.
    std::for_each(written.rbegin(), written.rend(), [&key](const Previous& undo) {
      if (undo.existed)
        ::RegSetValueExW(key.get(), undo.name.c_str(), 0, undo.type,
                         reinterpret_cast<const BYTE*>(undo.raw.data()),
                         static_cast<DWORD>(undo.raw.size()));
      else
        ::RegDeleteValueW(key.get(), undo.name.c_str());
    });
    throw;
  }
}

std::optional<Recovery> RecoverDamagedStore(int32_t /*root*/) {
  return std::nullopt;  // the registry keeps its own consistency
}

}  // namespace xkm::user_store
