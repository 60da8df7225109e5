#include <map>
#include <optional>

#include "core/check/finding_list.h"
#include "core/library/layout_templates.h"
#include "core/library/library_model.h"
#include "core/platform/error.h"
#include "core/platform/os/path.h"
#include "core/platform/text/letter_case.h"
#include "core/platform/text/text_pieces.h"
#include "core/resources/message_ids.h"
#include "core/session/conversions.h"
#include "core/session/file_names.h"

namespace xkm {
namespace {

class LayoutChecker {
 public:
  LayoutChecker(const AddressLayout& layout, FindingList& findings)
      : layout_(layout), element_(layout.element), findings_(findings) {}

  void run() {
    checkDatablockCount();
    checkMimConversion();
    const LayoutTemplate* raw = findTemplate(TemplateKind::Raw, msg::kNoRawTemplate);
    const LayoutTemplate* qsr = findTemplate(TemplateKind::Qsr, msg::kNoQsrTemplate);
    const LayoutTemplate* mcs = findTemplate(TemplateKind::Mcs, msg::kNoMcsTemplate);
    const LayoutTemplate* hexInfo = findTemplate(TemplateKind::HexInfo, kBlankNameUnread);
    const LayoutTemplate* brakel = findTemplate(TemplateKind::Brakel, kBlankNameUnwritable);
    if (qsr) checkFileName(*qsr, TemplateKind::Qsr);
    if (hexInfo) checkFileName(*hexInfo, TemplateKind::HexInfo);
    if (brakel) checkFileName(*brakel, TemplateKind::Brakel);
    if (qsr && brakel) checkDistinctFiles(*qsr, *brakel);

    std::optional<PlacedText> mcsText;
    if (mcs) mcsText = placedText(mcs->data);
    if (mcsText) {
      CheckPlaceholders(*mcsText, "MCS", true, findings_);
      CheckFileInserts(*mcsText, findings_);
    }
    if (brakel) CheckPlaceholders(placedText(brakel->data), "BRAKEL", false, findings_);
    if (raw) {
      const std::optional<PlacedText> rawText = rawTemplate(raw->data);
      if (rawText && mcsText) CheckDirectives(*rawText, *mcsText, layout_.name, findings_);
    }
  }

 private:
  std::string which() const { return "layout " + Quote(layout_.name); }

  void checkDatablockCount() {
    const XmlNode& count = layout_.datablockCount;
    if (!count) {
      findings_.at(Severity::Error, element_,
                   which() + " has no DATABLOCK_COUNT: a run fails with " +
                       std::to_string(msg::kNoDatablockCount));
      return;
    }
    const std::string text = count.text();
    try {
      if (ToLong(text) < 1) {
        findings_.at(Severity::Error, count,
                     "DATABLOCK_COUNT of " + which() + " must be at least 1 (a run fails with " +
                         std::to_string(msg::kNoDatablockCount) + " for 0)");
      }
    } catch (const Error&) {
      findings_.at(Severity::Error, count,
                   "DATABLOCK_COUNT " + Quote(text) + " of " + which() + " is not a number");
    }
  }

  void checkMimConversion() {
    const XmlNode& mim = layout_.mimConversion;
    if (!mim) {
      findings_.at(Severity::Error, element_,
                   which() + " has no MIM_CONVERSION: a run fails while preparing the session");
      return;
    }
    const std::string text = mim.text();
    if (text == "1") return;
    try {
      if (ToLong(text) != 0) {
        findings_.at(Severity::Warning, mim,
                     "MIM_CONVERSION " + Quote(text) + " of " + which() +
                         " counts as no: only exactly \"1\" means yes");
      }
    } catch (const Error&) {
      findings_.at(Severity::Error, mim,
                   "MIM_CONVERSION " + Quote(text) + " of " + which() +
                       " is not a number (\"1\" yes, \"0\" no)");
    }
  }

  // `blankNameFails`: the message a run gives for a blank NAME, or one of the
  // two markers below.
  static constexpr int kBlankNameUnread = -1;     // a run never looks at it
  static constexpr int kBlankNameUnwritable = 0;  // a run fails to write the file
  const LayoutTemplate* findTemplate(TemplateKind kind, int blankNameFails) {
    const char* element = TemplateElementName(kind);
    const LayoutTemplate& found = layout_.templateOf(kind);
    const std::string what = std::string("the ") + element + " template of " + which();
    if (!found.element) {
      findings_.at(Severity::Error, element_,
                   which() + " has no " + element + " template, which a run reads");
      return nullptr;
    }
    if (!found.name || !found.data) {
      findings_.at(Severity::Error, found.element,
                   what + " has no " + (found.name ? "DATA" : "NAME") + " element: a run fails");
      return nullptr;
    }
    if (blankNameFails != kBlankNameUnread && IsBlank(found.name.text())) {
      const std::string failure = blankNameFails != kBlankNameUnwritable
                                      ? "a run fails with " + std::to_string(blankNameFails)
                                      : std::string("a run cannot write the file");
      findings_.at(Severity::Error, found.name, what + " has a blank NAME: " + failure);
    }
    return &found;
  }

  // The QSR script and the converter's control file are written into the
  // working folder under their NAME, and the address-info file is removed
  // there; a run refuses a name that is one of its input files.
  void checkFileName(const LayoutTemplate& found, TemplateKind kind) {
    const char* element = TemplateElementName(kind);
    const std::string name = found.name.text();
    if (IsBlank(name)) return;
    const std::string what =
        std::string("the file name ") + Quote(name) + " of the " + element + " template";
    try {
      CheckNameInWorkingFolder(name, msg::kTemplateFileNameError, "name");
    } catch (const Error&) {
      findings_.at(Severity::Error, found.name,
                   what + " leads out of the working folder: a run refuses it");
      return;
    }
    if (HasInputExtension(name))
      findings_.at(Severity::Warning, found.name,
                   what +
                       " has the extension of an input file: a run whose input of that name "
                       "lies in the working folder refuses it");
  }

  static bool HasInputExtension(const std::string& name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    const std::string extension = ToUpperCase(name.substr(dot));
    return extension == ".XML" || extension == ".HEX" || extension == ".S19" || extension == ".A2L";
  }

  // Both are written into the working folder: under one name (as the file
  // system compares names) the control file would replace the QSR script
  // before the QSR tool reads it.
  void checkDistinctFiles(const LayoutTemplate& qsr, const LayoutTemplate& brakel) {
    const std::string name = brakel.name.text();
    if (!ControlFileReplacesScript(name, qsr.name.text())) return;
    findings_.at(Severity::Error, brakel.name,
                 std::string("the file name ") + Quote(name) +
                     " of the BRAKEL template is the QSR template's: the control file replaces "
                     "the QSR script");
  }

  PlacedText placedText(const XmlNode& data) const {
    const size_t begin = findings_.contentBegin(data);
    return {data.text(), begin == std::string::npos ? 0 : begin, false};
  }

  // The RAW template as a run reads it (RawTemplateSpan).
  std::optional<PlacedText> rawTemplate(const XmlNode& data) {
    static constexpr std::string_view kOpen = "<![CDATA[";
    const std::string markup = data.markup();
    const std::optional<MarkupSpan> span = RawTemplateSpan(markup);
    if (!span) {
      findings_.at(Severity::Error, data,
                   "the RAW template of " + which() +
                       " holds no CDATA section: the container would be empty");
      return std::nullopt;
    }
    const std::string_view source = findings_.source().bytes();
    size_t begin = findings_.contentBegin(data);
    begin = begin == std::string::npos ? std::string::npos : source.find(kOpen, begin);
    begin = begin == std::string::npos ? 0 : begin + kOpen.size();
    return PlacedText{markup.substr(span->begin, span->length), begin, true};
  }

  const AddressLayout& layout_;
  const XmlNode& element_;
  FindingList& findings_;
};

}  // namespace

void CheckLayouts(const LibraryModel& library, FindingList& findings) {
  std::map<std::string, int> firstLine;  // layout name -> line of the one that wins
  for (const XmlNode& element : library.layoutElements()) {
    const std::optional<std::string> layout = element.attribute("VALUE");
    if (!layout) {
      findings.at(Severity::Warning, element,
                  "the layout has no VALUE attribute: no rule can choose it");
      continue;
    }
    auto [first, isFirst] = firstLine.try_emplace(*layout, element.line());
    if (!isFirst) {
      findings.at(Severity::Warning, element,
                  "layout " + Quote(*layout) + " is defined again: the one on line " +
                      std::to_string(first->second) + " wins and this one is shadowed");
      continue;
    }
    LayoutChecker(*library.layoutNamed(*layout), findings).run();
  }
}

}  // namespace xkm
