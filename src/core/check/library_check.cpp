#include "core/check/library_check.h"

#include <algorithm>
#include <utility>

#include "core/check/finding_list.h"
#include "core/library/crc32.h"
#include "core/library/library_file_name.h"
#include "core/library/library_model.h"
#include "core/platform/os/file_system.h"
#include "core/platform/xml/xml.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"

namespace xkm {
namespace {

// A run finds the library by its lower-case ".lbr" and reports a name that
// does not carry the salted checksum of the content, then goes on.
void CheckFileName(const std::string& fileName, std::string_view bytes, FindingList& findings) {
  if (!IsLibraryFileName(fileName)) {
    findings.atPosition(Severity::Error, {},
                        "the file name " + Quote(fileName) +
                            " does not end in \".lbr\": a run does not find the library");
  }
  const std::string crc = CrcHexOfLibraryBytes(bytes);
  if (!CarriesSealedName(fileName, crc)) {
    findings.atPosition(Severity::Error, {},
                        "the file name does not match the content's checksum (a run reports " +
                            std::to_string(msg::kLibraryNameMismatch) +
                            "): the library must be named " + Quote(SealedLibraryName(crc)) +
                            " (xkmtool --seal-library)");
  }
}

void CheckContent(const LibraryModel& library, FindingList& findings) {
  const XmlNode root = library.root();
  if (root.localName() != "XKMTOOL") {
    findings.at(Severity::Error, root,
                "the root element is " + Quote(root.localName()) +
                    ", not \"XKMTOOL\": a run finds nothing in this library");
    return;
  }
  CheckEcuConfiguration(library, findings);
  CheckAddressLayoutRules(library, findings);
  CheckLayouts(library, findings);
}

}  // namespace

std::vector<Finding> CheckLibraryBytes(const std::string& fileName, std::string_view bytes) {
  const SourceMap source(bytes);
  FindingList findings(source);
  CheckFileName(fileName, bytes, findings);
  XmlDocument document;
  if (!document.loadFromMemory(std::string(bytes))) {
    const SourcePosition where{std::max(document.parseErrorLine(), 1),
                               std::max(document.parseErrorColumn(), 1)};
    findings.atPosition(Severity::Error, where,
                        "the XML does not parse (a run reports " +
                            std::to_string(msg::kLibraryUnparsable) +
                            "): " + document.parseErrorMessage());
  } else {
    CheckContent(LibraryModel(std::move(document)), findings);
  }
  return findings.take();
}

std::vector<Finding> CheckLibraryFile(const std::string& path) {
  const std::string bytes = fs::ReadAllBytes(path);
  const size_t separator = fs::LastSeparator(path);
  return CheckLibraryBytes(separator == std::string::npos ? path : path.substr(separator + 1),
                           bytes);
}

std::string FormatFinding(const std::string& file, const Finding& finding) {
  return file + ":" + std::to_string(finding.line) + ":" + std::to_string(finding.column) + ": " +
         SeverityName(finding.severity) + ": " + finding.text;
}

const char* SeverityName(Severity severity) {
  return severity == Severity::Error ? "error" : "warning";
}

int CheckExitCode(const std::vector<Finding>& findings) {
  if (findings.empty()) return 0;
  for (const Finding& finding : findings)
    if (finding.severity == Severity::Error) return 1;
  return 3;
}

}  // namespace xkm
