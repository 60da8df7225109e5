#pragma once

#include <string>

namespace xkm {

// Reads one value from an INI file with the rules of the Windows private-profile
// call: section and key names compared without regard to case and trimmed
// of blanks and tabs; only the first section of a name is searched and the first
// key of a name wins; blanks and tabs around the value are removed, then one pair
// of matching surrounding quotes ("..." or '...'); no comment syntax (";k=v" is a
// key named ";k"); a line without "=" is no key. The file is Windows-1252 text,
// or UTF-8 when it starts with the UTF-8 byte-order mark; the result is UTF-8. A missing file,
// section or key gives `defaultValue`. The value is returned whole; callers that need the
// 255-character limit cut it.
std::string ReadPrivateProfileString(const std::string& path, const std::string& section,
                                     const std::string& key, const std::string& defaultValue);

// One value as above, cut to its first 255 characters, as the Windows call
// with a buffer of that size gives it.
std::string ReadIniValue(const std::string& file, const std::string& section,
                         const std::string& key, const std::string& defaultValue);

}  // namespace xkm
