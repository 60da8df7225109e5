#include <windows.h>

#include <atomic>
#include <stdexcept>

#include "support/store_sandbox.h"

namespace xkm::test {
namespace {

HKEY CreateKey(const std::wstring& path) {
  HKEY key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
    throw std::runtime_error("cannot create the registry sandbox");
  return key;
}

std::wstring Wide(const std::string& ascii) {
  return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace

StoreSandbox::StoreSandbox() {
  static std::atomic<unsigned> counter{0};
  key_ = "Software\\xkmtool-test-" + std::to_string(::GetCurrentProcessId()) + "-" +
         std::to_string(counter++);
  // One left behind by an earlier process of the same id would leak its values in.
  ::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(key_).c_str());
  HKEY user = CreateKey(Wide(key_ + "\\HKCU"));
  HKEY machine = CreateKey(Wide(key_ + "\\HKLM"));
  // The process's view of both roots is redirected; the real ones stay untouched.
  ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine);
  ::RegOverridePredefKey(HKEY_CURRENT_USER, user);
  ::RegCloseKey(machine);
  ::RegCloseKey(user);
}

StoreSandbox::~StoreSandbox() {
  ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  ::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(key_).c_str());
}

}  // namespace xkm::test
