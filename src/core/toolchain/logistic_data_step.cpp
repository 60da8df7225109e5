#include <string>
#include <string_view>

#include "core/platform/error.h"
#include "core/platform/text/text_pieces.h"
#include "core/platform/xml/xml.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/toolchain/tool_chain.h"

namespace xkm {
namespace {

// Bound to the prefix when the document declares no logistic-data namespace,
// so that every field reads empty.
constexpr const char* kNoFlowDataNamespace = "urn:xkmtool:no-flow-data-namespace";

// True for a URI like "http://host/.../namespace/FlowData": the path (after
// the authority, before any query or fragment) ends in "/namespace/FlowData".
bool IsFlowDataNamespace(std::string_view uri) {
  const size_t scheme = uri.find("://");
  if (scheme == std::string_view::npos) return false;
  std::string_view rest = uri.substr(scheme + 3);
  const size_t pathStart = rest.find('/');
  if (pathStart == std::string_view::npos) return false;
  std::string_view path = rest.substr(pathStart);
  path = path.substr(0, path.find_first_of("?#"));
  constexpr std::string_view kSuffix = "/namespace/FlowData";
  return path.size() >= kSuffix.size() && path.substr(path.size() - kSuffix.size()) == kSuffix;
}

std::string FlowDataNamespace(const XmlDocument& document) {
  for (const std::string& uri : document.declaredNamespaceUris())
    if (IsFlowDataNamespace(uri)) return uri;
  return kNoFlowDataNamespace;
}

const std::string kEnvelope = "//FD:Envelope[@Name='FromFlow']";
constexpr const char* kEnvelopeName = "Envelope \"FromFlow\"";
constexpr const char* kOrderFieldNames =
    "Field \"SGIDB1_CustomerOrderNumber\" / \"SGIDB3_Cust_SW_Version\"";
const std::string kReceiver = kEnvelope + "//FD:Field[@Name='Ref_TessovReceiverInformation']";

std::string Field(const std::string& scope, const char* name) {
  return scope + "//FD:Field[@Name='" + name + "']";
}

}  // namespace

void clsToolChain::ShowNoOrder(const char* missing) {
  const Error noOrder(msg::kNoOrderInLogisticData,
                      ctx_.message(msg::kNoOrderInLogisticData,
                                   {{"file", ctx_.app.InputXmlPath}, {"missing", missing}}));
  ctx_.host.showMessage(noOrder.numberAndDescription(), "Error");
}

// Copies the order, part-number and receiver fields of the logistic-data XML
// into DataTable. Failures are shown; the run always goes on.
void clsToolChain::READ_LOGISTIC_DATA() {
  // Failed until every field is read: the container step builds nothing then.
  ctx_.session.logisticData = Session::LogisticData::Failed;
  try {
    XmlDocument document;
    if (!document.load(ctx_.app.InputXmlPath)) {
      ctx_.host.showMessage(document.parseErrorReason(), "Error");
      return;
    }
    SessionTable& data = ctx_.session.DataTable;
    auto text = [&](const std::string& xpath) {
      const XmlNode node = document.selectSingleNode(xpath);
      return node ? node.text() : std::string();
    };
    document.setNamespace("FD", FlowDataNamespace(document));
    UpdateState(ctx_.message(msg::kReadingLogisticData));
    ctx_.host.processEvents();

    WriteValue(data, "CUSTOMERORDERNUMBER", text(Field(kEnvelope, "SGIDB1_CustomerOrderNumber")));
    WriteValue(data, "SOFTWAREPARTNUMBER", text(Field(kEnvelope, "SoftwarePartNumber")));
    WriteValue(data, "HARDWAREPARTNUMBER", text(Field(kEnvelope, "Imp_HardwarePartNumber")));
    WriteValue(data, "PROJECTINFO", text(Field(kEnvelope, "Imp_ProjectCodeNumber")));
    WriteValue(data, data::kSgidb1, text(Field(kEnvelope, "SGIDB1_CustomerOrderNumber")));
    WriteValue(data, data::kSgidb3, text(Field(kEnvelope, "SGIDB3_Cust_SW_Version")));
    WriteValue(data, "CHECKSUMME_GESAMT", "");
    WriteValue(data, "RECEIVER_COMPANY", text(Field(kReceiver, "CompanyName")));
    WriteValue(data, "RECEIVER_DEPARTMENT", text(Field(kReceiver, "Department")));
    WriteValue(data, "RECEIVER_ROLE", text(Field(kReceiver, "Data6Roles")));
    WriteValue(data, "RECEIVER_SURNAME", text(Field(kReceiver, "SurName")));
    WriteValue(data, "RECEIVER_FIRSTNAME", text(Field(kReceiver, "Name")));
    std::string address;
    if (XmlNode zip = document.selectSingleNode(Field(kReceiver, "ZIP_Code"))) address = zip.text();
    if (XmlNode city = document.selectSingleNode(Field(kReceiver, "City")))
      address += " " + city.text();
    WriteValue(data, "RECEIVER_ADDRESS", address);
    WriteValue(data, "RECEIVER_PHONE", text(Field(kReceiver, "Phone")));
    WriteValue(data, "RECEIVER_FAX", text(Field(kReceiver, "Fax")));
    WriteValue(data, "RECEIVER_EMAIL", text(Field(kReceiver, "EmailAddress")));
    // Well-formed XML of another kind (a library picked by mistake) holds no
    // order: a container of it would look whole.
    if (!document.selectSingleNode(kEnvelope)) {
      ShowNoOrder(kEnvelopeName);
      return;
    }
    if (IsBlank(ValueOf(data, data::kSgidb1)) && IsBlank(ValueOf(data, data::kSgidb3))) {
      ShowNoOrder(kOrderFieldNames);
      return;
    }
    ctx_.session.logisticData = Session::LogisticData::Read;
  } catch (const std::exception& e) {
    // The step never stops the run, whatever failed (memory included).
    ctx_.host.showMessage(AsError(e).numberAndDescription(), "Error");
  }
}

}  // namespace xkm
