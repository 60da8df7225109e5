#include "core/library/library_loader.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>

#include "core/library/crc32.h"
#include "core/library/library_file_name.h"
#include "core/library/library_model.h"
#include "core/platform/error.h"
#include "core/platform/os/file_system.h"
#include "core/platform/text/letter_case.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

Error LoadFailure(const DataContext& ctx, int id, const std::string& detail = {}) {
  std::string text = ctx.message(id);
  // A plain line break: the report's JSON and the window show it as one.
  if (!detail.empty()) text += "\n" + detail;
  return Error(id, text, "LoadLibraryFile");
}

// Reads and parses the file at session.LibraryFilePath; `sealedName`, when
// not empty, is the name whose checksum it must carry.
void ParseLibrary(DataContext& ctx, const std::string& sealedName, LibraryLoad& load);

}  // namespace

std::vector<std::string> LibraryFilesIn(const std::string& folder) {
  std::vector<std::string> found;
  for (const std::string& name : fs::ListFiles(folder))
    if (IsLibraryFileName(name)) found.push_back(name);
  std::sort(found.begin(), found.end());  // listed alike wherever they are shown
  return found;
}

LibraryLoad LoadLibraryFile(DataContext& ctx) {
  Session& session = ctx.session;
  session.Library.reset();
  session.LibraryFilePath.clear();
  LibraryLoad load;
  if (!ctx.app.LibraryFile.empty()) {
    session.LibraryFilePath = ctx.app.LibraryFile;
    if (ctx.app.LibraryFileModel) {
      session.Library = ctx.app.LibraryFileModel;
      load.loaded = true;
    } else {
      ParseLibrary(ctx, {}, load);
    }
    return load;
  }
  const std::string& folder = ctx.app.ExecutableFolder;
  std::vector<std::string> found;
  try {
    found = LibraryFilesIn(folder);
  } catch (const Error& e) {
    // Said as such: "no information about the ECU" later would hide it.
    load.failures.push_back(LoadFailure(ctx, msg::kNoOrSeveralLibraries, e.description()));
    return load;
  }
  if (found.size() != 1) {
    load.failures.push_back(LoadFailure(ctx, msg::kNoOrSeveralLibraries));
    return load;
  }
  const std::string& keptName = found.front();
  session.LibraryFilePath = folder + fs::kSeparator + keptName;
  ParseLibrary(ctx, keptName, load);
  return load;
}

namespace {

void ParseLibrary(DataContext& ctx, const std::string& sealedName, LibraryLoad& load) {
  Session& session = ctx.session;
  // Read once: the checksum and the parser work on the same bytes. A file
  // that cannot be read has the checksum 0, so its name is reported as not
  // matching, and then it cannot be loaded, for the reason it was not read.
  std::string bytes;
  std::optional<Error> unreadable;
  try {
    bytes = fs::ReadAllBytes(session.LibraryFilePath);
  } catch (const Error& e) {
    unreadable = e;
  }
  const std::string crc = unreadable ? "0" : CrcHexOfLibraryBytes(bytes);
  if (!sealedName.empty() && !CarriesSealedName(sealedName, crc))
    load.failures.push_back(LoadFailure(ctx, msg::kLibraryNameMismatch));

  if (unreadable) {
    load.failures.push_back(LoadFailure(ctx, msg::kLibraryUnparsable, unreadable->description()));
    return;
  }
  XmlDocument document;
  if (!document.loadFromMemory(bytes)) {
    load.failures.push_back(LoadFailure(ctx, msg::kLibraryUnparsable, document.parseErrorReason()));
    return;
  }
  session.Library = std::make_shared<const LibraryModel>(std::move(document));
  load.loaded = true;
}

}  // namespace

std::string LibraryFileName(const std::string& path) {
  if (!fs::FileExists(path)) throw platform_error::FileNotFound("LibraryFileName");
  return SealedLibraryName(FileCrcHex(path));
}

std::string SealLibraryFile(const std::string& path) {
  namespace stdfs = std::filesystem;
  const std::string name = LibraryFileName(path);
  const size_t separator = fs::LastSeparator(path);
  std::string target = separator == std::string::npos ? name : path.substr(0, separator + 1) + name;
  std::error_code ec;
  if (stdfs::equivalent(fs::NativePath(path), fs::NativePath(target), ec))
    return target;  // already sealed
  fs::RenameWithoutReplacing(path, target);
  return target;
}

}  // namespace xkm
