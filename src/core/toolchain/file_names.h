#pragma once

#include <string>

namespace xkm {

// Names of files the steps write into the working folder come from the library
// or the logistic data; none may lead out of that folder. Raises error
// `number` "<what> <name> holds a path separator" otherwise.
void CheckNameInWorkingFolder(const std::string& name, int number, const std::string& what);

}  // namespace xkm
