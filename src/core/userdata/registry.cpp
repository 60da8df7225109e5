#include "core/userdata/registry.h"

#include "core/platform/os/user_store.h"

namespace xkm {

void RegWriteString(int32_t root, const std::string& keyPath, const std::string& valueName,
                    const std::string& value) {
  user_store::SetString(root, keyPath, valueName, value);
}

void RegWriteStrings(int32_t root, const std::string& keyPath,
                     const std::vector<std::pair<std::string, std::string>>& values) {
  user_store::SetStrings(root, keyPath, values);
}

std::string RegReadString(int32_t root, const std::string& keyPath, const std::string& valueName) {
  return RegQueryValueText(RegOpenKey{root, keyPath}, valueName);
}

std::string RegQueryValueText(const RegOpenKey& key, const std::string& valueName) {
  std::optional<user_store::StoreValue> value =
      user_store::FindValue(key.root, key.keyPath, valueName);
  if (!value) return {};
  switch (value->type) {
    case user_store::StoreValue::Type::String:
      return value->text.substr(0, value->text.find('\0'));
    case user_store::StoreValue::Type::Dword:
      return std::to_string(static_cast<int16_t>(static_cast<uint16_t>(value->number & 0xFFFF)));
    case user_store::StoreValue::Type::Other:
      return {};
  }
  return {};
}

}  // namespace xkm
