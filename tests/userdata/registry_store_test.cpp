// On Windows the operator's data live in the registry itself; these checks
// read and write it with the Win32 calls, past the store's own code.
#ifdef _WIN32
#include <gtest/gtest.h>
#include <windows.h>

#include "core/platform/user_store.h"
#include "core/userdata/registry.h"
#include "support/store_sandbox.h"

namespace xkm {
namespace {

using user_store::kCurrentUserRoot;
using user_store::kLocalMachineRoot;

TEST(RegistryStore, StringsAreWrittenAsRegSzUnderTheirRoot) {
  test::StoreSandbox sandbox;
  RegWriteString(kCurrentUserRoot, "Software\\Site\\User", "Name", "Müller, C:\\Aufträge");
  RegWriteString(kLocalMachineRoot, "Software\\Site\\User", "Name", "machine");
  wchar_t text[64] = {};
  DWORD size = sizeof text;
  DWORD type = 0;
  ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Site\\User", L"Name", RRF_RT_ANY, &type,
                           text, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD{REG_SZ});
  EXPECT_EQ(std::wstring(text), L"M\u00fcller, C:\\Auftr\u00e4ge");
  EXPECT_EQ(RegReadString(kLocalMachineRoot, "Software\\Site\\User", "Name"), "machine");
}

TEST(RegistryStore, ValuesSetByOthersReadAsTheirKind) {
  test::StoreSandbox sandbox;
  const DWORD number = 70000;
  const BYTE binary[] = {1, 2, 3};
  const wchar_t expandable[] = L"%TEMP%";
  ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Site", L"Big", REG_DWORD, &number,
                              sizeof number),
            ERROR_SUCCESS);
  ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Site", L"Blob", REG_BINARY, binary,
                    sizeof binary);
  ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Site", L"Path", REG_EXPAND_SZ, expandable,
                    sizeof expandable);
  EXPECT_EQ(RegReadString(kCurrentUserRoot, "software\\SITE", "big"), "4464");
  EXPECT_EQ(RegReadString(kCurrentUserRoot, "Software\\Site", "Blob"), "");
  EXPECT_EQ(RegReadString(kCurrentUserRoot, "Software\\Site", "Path"), "%TEMP%");
  EXPECT_EQ(RegReadString(kCurrentUserRoot, "Software\\Site", "None"), "");
}

}  // namespace
}  // namespace xkm
#endif
