// On Windows the operator's data live in the registry itself; these checks
// read and write it with the Win32 calls, past the store's own code.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include "core/platform/os/user_store.h"
#include "core/userdata/registry.h"
#include "support/store_sandbox.h"

namespace xkm {
namespace {

using user_store::kCurrentUserRoot;

TEST(RegistryStore, StringsAreWrittenAsRegSzAndValuesSetByOthersReadAsTheirKind) {
  test::StoreSandbox sandbox;
  RegWriteString(kCurrentUserRoot, "Software\\Site\\User", "Name", "Müller, C:\\Aufträge");
  RegWriteString(user_store::kLocalMachineRoot, "Software\\Site\\User", "Name", "machine");
  wchar_t text[64] = {};
  DWORD size = sizeof text;
  DWORD type = 0;
  ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Site\\User", L"Name", RRF_RT_ANY, &type,
                           text, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD{REG_SZ});
  EXPECT_EQ(std::wstring(text), L"M\u00fcller, C:\\Auftr\u00e4ge");
  EXPECT_EQ(RegReadString(user_store::kLocalMachineRoot, "Software\\Site\\User", "Name"),
            "machine");

  const DWORD number = 70000;
  const BYTE binary[] = {1, 2, 3};
  const wchar_t expandable[] = L"%TEMP%";
  ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Site", L"Big", REG_DWORD, &number,
                    sizeof number);
  ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Site", L"Blob", REG_BINARY, binary,
                    sizeof binary);
  ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Site", L"Path", REG_EXPAND_SZ, expandable,
                    sizeof expandable);
  std::string values;
  for (const char* name : {"big", "Blob", "Path", "None"})
    values += RegReadString(kCurrentUserRoot, "software\\SITE", name) + "|";
  EXPECT_EQ(values, "4464||%TEMP%||");
}

}  // namespace
}  // namespace xkm
#endif
