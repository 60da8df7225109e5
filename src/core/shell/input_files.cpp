#include "core/shell/input_files.h"

namespace xkm {

std::vector<InputFacts> TakeInputFacts(const AppState& app, bool withDigests) {
  std::vector<InputFacts> inputs;
  for (const auto& [key, path] :
       {std::pair<const char*, const std::string&>{"xml", app.InputXmlPath},
        {"hex", app.InputHexPath},
        {"a2l", app.InputA2lPath}}) {
    InputFacts facts;
    facts.key = key;
    facts.path = path;
    facts.stamp = fs::StampOf(path);
    if (withDigests && !path.empty()) facts.digest = DigestFile(path);
    inputs.push_back(std::move(facts));
  }
  return inputs;
}

void MarkChangedInputs(std::vector<InputFacts>& inputs) {
  for (InputFacts& input : inputs) {
    if (fs::StampOf(input.path) == input.stamp) continue;
    if (!input.digest) {
      input.changed = true;
      continue;
    }
    // Written again, or only touched: the content decides.
    input.digestAtEnd = DigestFile(input.path);
    input.changed = !input.digestAtEnd || input.digestAtEnd->size != input.digest->size ||
                    input.digestAtEnd->sha256 != input.digest->sha256;
  }
}

}  // namespace xkm
