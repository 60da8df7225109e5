#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/session/data_context.h"
#include "core/session/session_table.h"

namespace xkm {

// One definition of a definitions text, as ParseVariableDefinitions reads it:
// where it starts (byte offset), its name, its value, and "V" or "F".
struct VariableDefinition {
  size_t offset = 0;
  std::string name;
  std::string value;
  std::string type;
};
// All variables in text order, then all file inserts in text order.
std::vector<VariableDefinition> ScanVariableDefinitions(std::string_view text);

// A span from "<?" to the last "?>" on its line, as the expansion finds it,
// with the name its clause gives (none when the span is no directive) and the
// number of characters its CS_Len clause keeps (0: all).
struct DirectiveCandidate {
  size_t offset = 0;
  size_t length = 0;
  std::optional<std::string> name;
  size_t cutLength = 0;
};
std::vector<DirectiveCandidate> FindDirectiveCandidates(std::string_view templateText);

// The variable list of a definitions text: columns Name, Value and Type ("V"
// for <variable name="..." value="...">, "F" for <fileinsert ...>), all
// variables in text order, then all file inserts. Any failure is raised as
// error msg::kFailure with the underlying description.
SessionTable ParseVariableDefinitions(DataContext& ctx, std::string_view text);

// Expands the directives "<?variable name="N" ...?>" / "<?fileinsert name="N" ...?>"
// of a template: each span from "<?" to the last "?>" on its line is replaced by
// the value of the definition named N (a "V" definition) or by the content of
// the file it names (an "F" definition); "CS_Len=n" keeps the last 2n
// characters of the value. `output` is emptied first; on failure it holds what
// was assembled up to the failing directive. Errors msg::kRawTemplateCorrupt (a
// span without a name clause), kUnknownRawVariable (a name not defined exactly
// once), kInsertFileNotFound (a missing file).
// A preview's way with the parts only the tools supply: `readInsert` reads
// the inserted files in place of ReadTextFile, and a value `uncut` holds true
// for (a marker) is inserted whole, whatever its CS_Len clause.
struct ExpansionHooks {
  std::function<void(const std::string& fileName, std::string& content)> readInsert;
  std::function<bool(std::string_view value)> uncut;
};
void ExpandTemplate(DataContext& ctx, const SessionTable& variables, std::string_view templateText,
                    std::string& output, const ExpansionHooks& hooks = {});

// The whole content of a Windows-1252 text file, as UTF-8. A relative name
// is one of the working folder's files (PFADZIELABLAGE). A missing file raises
// msg::kInsertFileNotFound; other failures are passed on.
void ReadTextFile(DataContext& ctx, const std::string& fileName, std::string& content);

}  // namespace xkm
