#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/platform/os/user_store.h"

// The text of a REGEDIT4 file, as the Linux user store keeps it: portable, so
// that it is built and tested on every system.
namespace xkm::user_store {

struct Entry {
  std::string name;
  StoreValue value;
};

struct Key {
  std::string path;
  std::vector<Entry> values;
};

using Store = std::vector<Key>;

// Key and value names compare without regard to letter case, as the registry's.
bool SameName(std::string_view a, std::string_view b);
Key* FindKey(Store& store, std::string_view path);
// Later values of a name replace earlier ones, as an import of the file would.
Entry& PutValue(Key& key, std::string name, StoreValue value);
// A name or value with a control character (a line break) cannot stand quoted on one line.
bool HasControlCharacter(std::string_view text);

// The store in the file `path` holds `bytes`; a damaged file raises
// kInvalidFileFormat naming the file and the line.
Store Parse(const std::string& path, std::string_view bytes);
// What can be read: each damaged line is dropped until the rest reads;
// `problem` gets the first damage.
Store ParseSalvaging(const std::string& path, std::string_view bytes, std::string& problem);
std::string Format(const Store& store);

}  // namespace xkm::user_store
