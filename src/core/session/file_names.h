#pragma once

#include <string>

namespace xkm {

// Names of files the steps write into the working folder come from the library
// or the logistic data; none may lead out of that folder or name anything but
// a plain file in it. Raises error `number` "<what> <name> <why>" otherwise
// (why: "holds a path separator", on Windows also "holds a colon", "names a
// device", "ends with a dot or blank").
void CheckNameInWorkingFolder(const std::string& name, int number, const std::string& what);

}  // namespace xkm
