#include <gtest/gtest.h>

#include "core/toolchain/tool_chain.h"
#include "toolchain_fixture.h"

namespace xkm {
namespace {

struct StepsTest : ::testing::Test, test::ToolchainFixture {
  std::vector<std::string> reports;
  clsToolChain toolChain{ctx, [this](const std::string& text) { reports.push_back(text); }};

  StepsTest() { InitSessionTables(session); }

  void readLogisticData(const std::string& xml) {
    app.InputXmlPath = folder.write("logistic.xml", xml);
    toolChain.CallByName("read_logistic_data");
  }
  // The values of `names` as written, untrimmed, joined by '|'.
  std::string raw(std::initializer_list<const char*> names) const {
    std::string values;
    for (const char* name : names)
      values +=
          session.DataTable.field(session.DataTable.rowsNamed(name).at(0), 1).value_or("") + "|";
    return values;
  }
};

std::string FlowData(const std::string& fields, const std::string& receiver,
                     const std::string& ns = "http://flow.example.org/namespace/FlowData",
                     const std::string& envelope = "FromFlow") {
  return "<?xml version='1.0'?><Root xmlns:other='urn:other'><f:Data xmlns:f='" + ns +
         "'><f:Envelope Name='" + envelope + "'>" + fields +
         "<f:Group><f:Field Name='Ref_TessovReceiverInformation'>" + receiver +
         "</f:Field></f:Group></f:Envelope></f:Data></Root>";
}

// Init adds nothing to a failed preparation: the preparation's tests pin that
// it shows its failure without throwing, the out-of-memory test Init's wrapping.

// The full mapping and the order of the rows are pinned by the whole-process
// report; here the edges: an earlier row stays first and empty, blanks are
// kept, only the receiver group gives names, a city gets a leading blank, and
// only the flow data namespace (wherever declared) and envelope are read.
TEST_F(StepsTest, LogisticDataKeepsAnEarlierRowAndTakesNamesFromTheReceiverGroup) {
  const std::string fields =
      "<f:Field Name='Name'>not the receiver</f:Field>"
      "<f:Field Name='SGIDB1_CustomerOrderNumber'> 4711 </f:Field>"
      "<f:X><f:Field Name='SGIDB3_Cust_SW_Version'>V3</f:Field></f:X>";
  const std::string erika = "<f:Field Name='Name'>Erika</f:Field>";
  const std::string ns = "http://flow.example.org/namespace/FlowData";
  const std::pair<std::string, const char*> rows[] = {
      {FlowData(fields, erika + "<f:Field Name='City'>Northtown</f:Field>"),
       "| 4711 |V3|Erika| Northtown|"},
      {FlowData(fields, "<f:Field Name='ZIP_Code'>12345</f:Field>"), "| 4711 |V3||12345|"},
      {FlowData(fields, ""), "| 4711 |V3|||"},
      {FlowData(fields, erika, ns + "X"), "|||||"},
      {FlowData(fields, erika, "http://flow.example.org/other/FlowData"), "|||||"},
      {FlowData(fields, erika, ns, "ToFlow"), "|||||"},
      {"<Root xmlns:a='urn:a'><Data xmlns='https://h/x/namespace/FlowData'><Envelope "
       "Name='FromFlow'><Field Name='SGIDB1_CustomerOrderNumber'>4711</Field></Envelope></Data>"
       "</Root>",
       "|4711||||"}};
  for (const auto& [xml, expected] : rows) {
    InitSessionTables(session);
    WriteValue(session.DataTable, "CHECKSUMME_GESAMT", "from an earlier import");
    readLogisticData(xml);
    EXPECT_EQ(*session.DataTable.row(0)[0] + std::to_string(session.DataTable.rowCount()),
              "CHECKSUMME_GESAMT16");
    EXPECT_EQ(
        raw({"CHECKSUMME_GESAMT", "SGIDB1", "SGIDB3", "RECEIVER_FIRSTNAME", "RECEIVER_ADDRESS"}),
        expected);
  }
  EXPECT_EQ(reports, std::vector<std::string>(7, "Lese logistische Daten"));
  // The three without the flow data's envelope say that they name no order.
  EXPECT_EQ(host.messages.size(), 3u);
}

TEST_F(StepsTest, UnreadableFilesAreShownAndNothingIsWritten) {
  for (const std::string& path :
       {std::string(), folder.file("missing.xml"), folder.write("broken.xml", "<a><b></a>")}) {
    app.InputXmlPath = path;
    toolChain.READ_LOGISTIC_DATA();
  }
  EXPECT_EQ(host.messages,
            (std::vector<test::RecordedMessage>{
                {"Error", "File not found: "},
                {"Error", "File not found: " + folder.file("missing.xml")},
                {"Error", "Opening and ending tag mismatch: b line 1 and a (line 1, column 11)"}}));
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(session.DataTable.rowCount(), 0u);
}

}  // namespace
}  // namespace xkm
