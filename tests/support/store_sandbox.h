#pragma once

#include <optional>
#include <string>

#include "support/scratch_folder.h"

namespace xkm::test {

// Points the operator's store elsewhere for the life of the object, so that
// no test touches the real one: on POSIX to a scratch folder
// (XDG_CONFIG_HOME), on Windows to a key of its own under HKCU\Software that
// stands in for HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE and is deleted at the end.
class StoreSandbox {
 public:
  StoreSandbox();
  ~StoreSandbox();
  StoreSandbox(const StoreSandbox&) = delete;
  StoreSandbox& operator=(const StoreSandbox&) = delete;

  const ScratchFolder& folder() const { return folder_; }
  // The store file of the current-user root (POSIX).
  std::string currentUserFile() const { return folder_.file("xkmtool/HKEY_CURRENT_USER.reg"); }

 private:
  ScratchFolder folder_;
  std::optional<std::string> previous_;
  std::string key_;  // Windows: the sandbox key below HKCU\Software
};

// A Userdata.ini that keeps the operator's data under Software\Site, with `items`.
inline std::string UserDataIni(const std::string& items = "1=USERNAME;Name;Name;1;1\r\n") {
  return "[System]\r\nRegKey=-2147483647\r\nLanguagePath=Software\\Site\r\n"
         "LanguageKey=Language\r\nDataPath=Software\\Site\\UserData\r\n[Data]\r\n" +
         items;
}

}  // namespace xkm::test
