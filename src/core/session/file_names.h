#pragma once

#include <string>

namespace xkm {

// Names of files the steps write into the working folder come from the library
// or the logistic data; none may lead out of that folder or name anything but
// a plain file in it. Raises error `number` "<what> <name> <why>" otherwise
// (why: "holds a path separator", on Windows also "holds a colon", "names a
// device", "ends with a dot or blank").
void CheckNameInWorkingFolder(const std::string& name, int number, const std::string& what);

// The converter's control file (BRAKEL) and the checksum script (QSR) are both
// written into the working folder: under one name, as the file system compares
// names, the control file replaces the script before the checksum tool reads
// it, and the container gets no checksums.
bool ControlFileReplacesScript(const std::string& controlFileName, const std::string& scriptName);

}  // namespace xkm
