#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <new>
#include <string>
#include <tuple>

#include "core/library/library_loader.h"
#include "core/platform/os/file_system.h"
#include "core/platform/text/cp1252.h"
#include "core/resources/message_ids.h"
#include "core/session/config_names.h"
#include "core/session/context.h"
#include "core/shell/runner.h"
#include "core/toolchain/ansi_file_text.h"
#include "core/toolchain/command_text.h"
#include "core/toolchain/prepare_session.h"
#include "core/toolchain/tool_chain.h"
#include "core/toolchain/tool_watch.h"
#include "core/toolchain/working_files.h"
#include "support/error_number.h"
#include "support/recording_host.h"
#include "support/scratch_folder.h"

namespace xkm {
namespace {

// The sample set the demo runs on.
std::string DemoFile(const std::string& relative) {
  return std::string(XKM_SOURCE_DIR) + "/examples/demo/" + relative;
}

std::string DemoLibrary() {
  for (const auto& entry : std::filesystem::directory_iterator(DemoFile("config")))
    if (entry.path().extension() == ".lbr") return entry.path().string();
  throw std::runtime_error("the demo has no library");
}

// A run's context with the demo library beside a pretended executable. The
// current folder, which a preparation changes, is restored afterwards.
struct ToolchainFixture {
  test::ScratchFolder folder;
  AppState app;
  Session session;
  test::RecordingHost host;
  Context ctx{app, session, host};

  ToolchainFixture() {
    std::filesystem::create_directories(folder.file("exe"));
    app.ExecutableFolder = folder.file("exe");
  }

  void installLibrary() { std::filesystem::copy(DemoLibrary(), app.ExecutableFolder); }
  // Copies a demo input file into the scratch folder under `name`.
  std::string input(const std::string& demoName, const std::string& name) {
    return folder.write(name, test::ReadFileBytes(DemoFile("input/" + demoName)));
  }
  std::string config(const std::string& name) const {
    return ReadValue(session.ConfigTable, name, 1);
  }
};

struct StepsTest : ::testing::Test, ToolchainFixture {
  std::vector<std::string> reports;
  clsToolChain toolChain{ctx, [this](const std::string& text) { reports.push_back(text); }};

  StepsTest() { InitSessionTables(session); }

  void readLogisticData(const std::string& xml) {
    app.InputXmlPath = folder.write("logistic.xml", xml);
    toolChain.CallByName("read_logistic_data");
  }
  // The values of `names` as written, untrimmed.
  std::vector<std::string> raw(std::initializer_list<const char*> names) const {
    std::vector<std::string> values;
    for (const char* name : names)
      values.push_back(
          session.DataTable.field(session.DataTable.rowsNamed(name).at(0), 1).value_or(""));
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
  const std::pair<std::string, std::vector<std::string>> rows[] = {
      {FlowData(fields, erika + "<f:Field Name='City'>Northtown</f:Field>"),
       {"", " 4711 ", "V3", "Erika", " Northtown"}},
      {FlowData(fields, "<f:Field Name='ZIP_Code'>12345</f:Field>"),
       {"", " 4711 ", "V3", "", "12345"}},
      {FlowData(fields, ""), {"", " 4711 ", "V3", "", ""}},
      {FlowData(fields, erika, ns + "X"), {"", "", "", "", ""}},
      {FlowData(fields, erika, "http://flow.example.org/other/FlowData"), {"", "", "", "", ""}},
      {FlowData(fields, erika, ns, "ToFlow"), {"", "", "", "", ""}},
      {"<Root xmlns:a='urn:a'><Data xmlns='https://h/x/namespace/FlowData'><Envelope "
       "Name='FromFlow'><Field Name='SGIDB1_CustomerOrderNumber'>4711</Field></Envelope></Data>"
       "</Root>",
       {"", "4711", "", "", ""}}};
  for (const auto& [xml, expected] : rows) {
    InitSessionTables(session);
    WriteValue(session.DataTable, "CHECKSUMME_GESAMT", "from an earlier import");
    readLogisticData(xml);
    EXPECT_EQ(*session.DataTable.row(0)[0], "CHECKSUMME_GESAMT");
    EXPECT_EQ(session.DataTable.rowCount(), 16u);
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

// The written container and its text are pinned by the whole-process runs.
struct BuildXKMContainerTest : ::testing::Test, ToolchainFixture {
  BuildXKMContainerTest() {
    InitSessionTables(session);
    WriteValue(session.ConfigTable, "PFADZIELABLAGE", folder.path());
    session.prepared = {.folder = folder.path(),
                        .containerScript = "<variable name=\"A\" value=\"<$DATA.SGIDB1>\">",
                        .containerText = "X=<?variable name=\"A\"?>;\r\n"};
  }
  void build(const std::string& sgidb1, const std::string& sgidb3) {
    WriteValue(session.DataTable, "SGIDB1", sgidb1);
    WriteValue(session.DataTable, "SGIDB3", sgidb3);
    clsToolChain(ctx, [](const std::string&) {}).CallByName("buildxkmcontainer");
  }
};

TEST_F(BuildXKMContainerTest, NamesTheContainerPaddedToSixteenCharacters) {
  const std::tuple<const char*, const char*, std::string> rows[] = {
      {"ABC", "12", "ABC___________12"},
      {"ABCDEFGHIJ", "12345", "ABCDEFGHIJ_12345"},
      {"ABCDEFGHIJKL", "12345678", "ABCDEFGHIJKL_12345678"},
      {"", "", std::string(16, '_')}};
  for (const auto& [sgidb1, sgidb3, name] : rows) {
    build(sgidb1, sgidb3);
    EXPECT_EQ(config("CNT_FILENAME"), name);
    EXPECT_TRUE(std::filesystem::exists(folder.file(name + ".xkm"))) << name;
  }
  EXPECT_TRUE(host.messages.empty());
}

// An unknown name in the container template shows a box, writes nothing, and
// the step ends normally (one in the MCS file: the whole-process runs).
TEST_F(BuildXKMContainerTest, AnUnknownVariableShowsABoxAndWritesNothing) {
  session.prepared.containerText = "<?variable name=\"NONE\"?>";
  build("ABC", "12");
  EXPECT_EQ(host.messages, std::vector<test::RecordedMessage>(
                               {{"xkmtool", "60030 unbekannte Variable in RAW-Template :NONE"}}));
  EXPECT_FALSE(std::filesystem::exists(folder.file("ABC___________12.xkm")));
}

// Names that leave the working folder: the rules are the path tests', the
// refusal's number and text are pinned by the hostile container-name runs.

TEST(QuoteArgument, SurvivesTheWindowsSplittingRules) {
  EXPECT_EQ(QuoteArgument("a b"), R"("a b")");
  EXPECT_EQ(QuoteArgument("say \"hi\""), R"("say \"hi\"")");
  EXPECT_EQ(QuoteArgument("end\\"), R"("end\\")");
  EXPECT_EQ(QuoteArgument("a\\b"), R"("a\b")");
}

struct DeleteWorkingFilesTest : ::testing::Test, ToolchainFixture {
  DeleteWorkingFilesTest() {
    session.prepared = {.folder = folder.path(),
                        .hexName = "P1.hex",
                        .hexStem = "P1",
                        .blockCount = 2,
                        .mimConversion = true,
                        .qsrScript = "p1.qsr",
                        .hexInfoFile = "p1.hexinfo"};
    session.writtenControlFile = "p1.bsl";
  }
  bool exists(const std::string& name) const { return std::filesystem::exists(folder.file(name)); }
};

TEST_F(DeleteWorkingFilesTest, RemovesEveryWorkingFileAndKeepsTheQsrLog) {
  const std::vector<std::string> working = {
      "P1.hex_blk_1",     "P1.hex_blk_1_mim", "P1_1.bcb",     "P1_1_bcb.log",   "P1.hex_blk_2",
      "P1.hex_blk_2_mim", "P1_2.bcb",         "P1_2_bcb.log", "P1.hex_HEXINFO", "CS.LOG",
      "p1.qsr",           "p1.hexinfo",       "p1.bsl",       "P1.wbc",         "QSR.LOG"};
  for (const std::string& name : working) folder.write(name, "x");
  folder.write("QSR.LOG", "the log");
  folder.write("P1_QSR.LOG", "an older log");
  for (const char* kept : {"P1.hex", "AAA____________1.xkm", "P1_3.bcb"})  // P1_3: beyond the count
    folder.write(kept, "x");
  std::filesystem::permissions(folder.file("P1_1.bcb"), std::filesystem::perms::owner_read);

  DeleteWorkingFiles(ctx);

  for (const std::string& name : working) EXPECT_FALSE(exists(name)) << name;
  EXPECT_EQ(test::ReadFileBytes(folder.file("P1_QSR.LOG")), "the log");
  EXPECT_TRUE(exists("P1.hex") && exists("AAA____________1.xkm") && exists("P1_3.bcb"));
}

TEST_F(DeleteWorkingFilesTest, MimFilesStayWithoutMimConversion) {
  session.prepared.mimConversion = false;
  folder.write("P1.hex_blk_1_mim", "x");
  DeleteWorkingFiles(ctx);
  EXPECT_TRUE(exists("P1.hex_blk_1_mim"));
}

// What the watch asks of a running tool, and whether it then counts the
// tool's end as the Stop's (its missing files are no failure) or the time
// limit's.
TEST(ToolWatch, EndsAToolAfterTheGraceAtASecondStopOrPastItsLimit) {
  // Stop pressed, how often; ToolTimeout (0: none); seconds later the watch is
  // asked again; what it asks, whether the Stop ended the tool, whether time ran out.
  const std::tuple<const char*, bool, int, int, int, ChildAction, bool, bool> rows[] = {
      {"running", false, 0, 0, 100, ChildAction::Wait, false, false},
      {"one Stop, within the grace", true, 1, 0, 5, ChildAction::Wait, false, false},
      {"one Stop, past the grace", true, 1, 0, 10, ChildAction::Terminate, true, false},
      {"a second Stop", true, 2, 0, 0, ChildAction::Kill, true, false},
      {"past the time limit", false, 0, 60, 60, ChildAction::Terminate, false, true},
  };
  for (const auto& [name, stop, presses, timeout, later, action, byStop, timedOut] : rows) {
    SCOPED_TRACE(name);
    AppState app;
    app.StopGraceSeconds = 10;
    app.ToolTimeoutSeconds = timeout;
    const ToolWatch::Clock::time_point start{};
    ToolWatch watch(app, start);
    watch.next(start);
    app.StopRequested = stop;
    app.StopPresses = presses;
    watch.next(start);
    EXPECT_EQ(watch.next(start + std::chrono::seconds(later)), action);
    EXPECT_EQ(watch.endedByStop(), byStop);
    EXPECT_EQ(watch.timedOut(), timedOut);
  }
}

// A host on which memory runs out when a chosen report is shown.
struct ExhaustingHost : test::RecordingHost {
  void appendStateRow(const StateRow& row) override {
    if (row.action == exhaustOn) throw std::bad_alloc();
    RecordingHost::appendStateRow(row);
  }
  std::string exhaustOn;
};

struct OutOfMemoryTest : ::testing::Test, ToolchainFixture {
  OutOfMemoryTest() {
    InitSessionTables(session);
    WriteValue(session.ConfigTable, "PFADZIELABLAGE", folder.path());
    WriteValue(session.ConfigTable, "DATABLOCK_COUNT", "0");
    app.InputXmlPath = folder.write("flow.xml", "<FromFlow/>");
  }
  // Runs the step, then the clean-up, with memory running out at `report`.
  RunOutcome run(const std::string& step, const std::string& report) {
    host.exhaustOn = report;
    Runner runner(ctx, MakeToolChain);
    runner.setSteps({{step, step, ""}, {"CLEANUPSESSION", "CLEANUPSESSION", ""}});
    return runner.RunProcess();
  }

  ExhaustingHost host;
  Context ctx{app, session, host};
};

// Memory running out reads "7 Out of memory" wherever a number is shown; the
// steps that wrap their failures keep the text; the steps that never stop the
// run let the clean-up follow.
TEST_F(OutOfMemoryTest, EveryStepNamesItAndOnlyStoppingStepsStopTheRun) {
  const std::string stops = "60000 Out of memory - program stops!";
  const std::tuple<const char*, const char*, test::RecordedMessage, bool> rows[] = {
      {"BuildXKMContainer", "Erstelle XKM-Container ...", {"xkmtool", "7 Out of memory"}, true},
      {"READ_LOGISTIC_DATA", "Lese logistische Daten", {"Error", "7 Out of memory"}, true},
      {"Init", "Start", {"Error", "60000 Out of memory"}, false},
      {"RUN_BCB_CONVERSION", "Konvertiere in BCB-Format", {"Error", stops}, false},
      {"RUN_BCB2MIM_CONVERSION", "Konvertiere in MIM-Format", {"Error", stops}, false},
      {"CLEANUPSESSION", "Lösche temporäre Dateien", {"Error", "60000 Out of memory"}, false}};
  for (const auto& [step, report, message, cleanedUp] : rows) {
    host.messages.clear();
    const RunOutcome outcome = run(step, report);
    const bool ended = !host.actions().empty() && host.actions().back() == "Bearbeitung beendet";
    EXPECT_EQ(host.messages, std::vector<test::RecordedMessage>{message}) << step;
    EXPECT_EQ(std::make_pair(outcome, ended),
              std::make_pair(cleanedUp ? RunOutcome::Completed : RunOutcome::Failed, cleanedUp))
        << step;
  }
}

using ::testing::ElementsAre;
using Messages = std::vector<test::RecordedMessage>;

struct PrepareSessionTest : ::testing::Test, ToolchainFixture {
  PrepareSessionTest() { installLibrary(); }
  // The names of the configuration rows that hold a value.
  std::vector<std::string> written() const {
    std::vector<std::string> names;
    for (const SessionTable::Row& row : session.ConfigTable.rows())
      if (row[1]) names.push_back(*row[0]);
    return names;
  }
};

// The stored results are pinned by the whole-process report; here what a
// report does not show.
TEST_F(PrepareSessionTest, ShowsItsWorkReplacesAnOlderScriptAndLeavesTheCurrentFolder) {
  const std::string a2l = input("ecu_st10.a2l", "a2l/ecu.a2l");
  const std::string hex = input("ecu_st10.hex", "Aufträge Müller/image.v2.hex");
  folder.write("Aufträge Müller/CS_ST10.qsr",
               "an older script that is much longer than the new one");
  app.StopRequested = true;
  const std::string started = fs::CurrentFolder();
  PrepareSession(ctx, hex, a2l);
  EXPECT_EQ(host.messages, Messages{});
  EXPECT_THAT(host.busyPointerCalls, ElementsAre(true, true, false));
  EXPECT_EQ(host.processEventsCount, 1);
  EXPECT_FALSE(app.StopRequested);          // the library loaded
  EXPECT_EQ(fs::CurrentFolder(), started);  // the tools get their folder, the process keeps its
  // The script is the template's text as it is, replacing the older file.
  const std::string script = test::ReadFileBytes(folder.file("Aufträge Müller/CS_ST10.qsr"));
  EXPECT_THAT(script, ::testing::StartsWith("; checksum script: one CHECKSUM line per checksum"));
  EXPECT_EQ(script.find("older"), std::string::npos);
}

TEST_F(PrepareSessionTest, ShortNameWithoutExtensionIsCutAtTheFirstDot) {
  const std::string a2l = input("ecu_tc.a2l", "ecu.a2l");
  const std::pair<std::string, std::string> rows[] = {
      {"image", "image"}, {".hidden.s19", ""}, {"a.b.c.s19", "a"}, {"image.v2.hex", "image"}};
  for (const auto& [name, expected] : rows) {
    PrepareSession(ctx, input("ecu_tc.s19", name), a2l);
    EXPECT_EQ(config("HEXFILESHORT"), name);
    EXPECT_EQ(config("HEXFILESHORT_WITHOUT_EXTENSION"), expected) << name;
  }
  EXPECT_EQ(host.messages, Messages{});
}

// A failure is shown, ends the busy pointer and leaves fresh tables with only
// the rows written before it; only a loaded library ends an earlier Stop.
TEST_F(PrepareSessionTest, AFailureIsShownAndLeavesOnlyTheRowsBeforeIt) {
  const std::string hex = input("ecu_st10.hex", "ecu.hex"), a2l = input("ecu_st10.a2l", "ecu.a2l");
  const std::string bad = folder.write("bad.a2l", "/begin MOD_PAR\r\n/end MOD_PAR\r\n");
  const Messages refused = {{"Error", "5 Invalid procedure call or argument"}};
  const Messages noLibrary = {
      {"Error", "60013 Kein oder mehr als ein Library-File gefunden"},
      {"Error", "60001 Keine Information über ECU in der Library gefunden"}};
  // The image, the description, the messages, the configuration rows written ({}: not checked).
  const std::tuple<std::string, std::string, Messages, std::vector<std::string>> rows[] = {
      {"image.hex", a2l, refused, {"HEXFILE", "A2LFILE", "CONFIG_NUM"}},
      {hex, bad, {{"Error", "60012 Keine Information über ECU in A2L-File gefunden"}}, {}},
      {hex, a2l, noLibrary, {"HEXFILE", "A2LFILE"}}};
  for (const auto& [image, description, messages, rowsWritten] : rows) {
    if (messages == noLibrary) {
      std::filesystem::remove_all(app.ExecutableFolder);
      std::filesystem::create_directories(app.ExecutableFolder);
    }
    InitSessionTables(session);
    WriteValue(session.DataTable, "ECU", "EARLIER");
    host.messages.clear();
    app.StopRequested = true;
    PrepareSession(ctx, image, description);
    EXPECT_EQ(host.messages, messages);
    EXPECT_EQ(host.busyPointerCalls.back(), false);
    EXPECT_NE(ReadValue(session.DataTable, "ECU", 1), "EARLIER");
    EXPECT_EQ(config("HEXFILE"), image);
    EXPECT_EQ(config("A2LFILE"), description);
    EXPECT_EQ(rowsWritten.empty() ? rowsWritten : written(), rowsWritten);
  }
  EXPECT_TRUE(app.StopRequested);
}

constexpr const char* kRefused = "60042 Zeichen ohne Windows-1252-Code, Datei nicht geschrieben";

struct AnsiFileTextTest : ::testing::Test, ToolchainFixture {
  AnsiFileTextTest() {
    InitSessionTables(session);
    WriteValue(session.ConfigTable, "PFADZIELABLAGE", folder.path());
    WriteValue(session.ConfigTable, "DATABLOCK_COUNT", "0");
  }
  // The description EncodeForAnsiFile refuses `text` with; empty when it does not.
  std::string refusal(const std::string& text, const std::vector<TextSource>& templates = {}) {
    const Error e = test::ErrorOf([&] {
      EXPECT_EQ(EncodeForAnsiFile(ctx, text, "/w/f.xkm", templates), EncodeCp1252(text));
    });
    EXPECT_EQ(e.number(), e.description().empty() ? 0 : msg::kUnencodableCharacter);
    return e.description();
  }
  clsToolChain toolChain{ctx, [](const std::string&) {}};
};

TEST_F(AnsiFileTextTest, NamesTheFileTheCharacterAndWhereItCameFrom) {
  WriteValue(session.DataTable, "RECEIVER_SURNAME", "Dvořák");
  WriteValue(session.ConfigTable, "RAW_CONTENT", "[XKM] →");
  session.SysConstTable.setField(session.SysConstTable.appendRow(), 0, "SY_SMILE");
  session.SysConstTable.setField(0, 1, "😀");
  app.UserInfoTable->setField(app.UserInfoTable->appendRow(), 0, "USERNAME");
  app.UserInfoTable->setField(0, 4, "Łukasz");

  const std::string head = "Zeichen ohne Windows-1252-Code, Datei nicht geschrieben : /w/f.xkm : ";
  const std::pair<std::string, std::string> rows[] = {
      {"Größe €‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ ÿ", ""},  // all of them have a code
      {"Herr Dvořák", "\"ř\" (U+0159) : <$DATA.RECEIVER_SURNAME>"},
      {"x → y", "\"→\" (U+2192) : <$CONFIG.RAW_CONTENT>"},
      {"a😀", "\"😀\" (U+1F600) : <$SYSCONST.SY_SMILE>"},
      {"by Łukasz", "\"Ł\" (U+0141) : <$USERINFO.USERNAME>"},
      {"Ωmega", "\"Ω\" (U+03A9) : ?"},
      {"a\xFF", "(byte 0xFF) : ?"}};
  for (const auto& [text, details] : rows)
    EXPECT_EQ(refusal(text), details.empty() ? "" : head + details) << text;
  EXPECT_EQ(refusal("Ωmega", {{"<ADRESSLAYOUT A QSR>", "Ω"}}),
            head + "\"Ω\" (U+03A9) : <ADRESSLAYOUT A QSR>");
}

// The QSR script comes from the library alone; its template is named.
TEST_F(AnsiFileTextTest, TheQsrScriptIsRefusedAndThePreparationStops) {
  std::string library = test::ReadFileBytes(DemoLibrary());
  const std::string marker = "<DATA>; checksum script";
  library.replace(library.find(marker), marker.size(), "<DATA>; checksum script &#x2192;");
  SealLibraryFile(folder.write("exe/draft.lbr", library));
  PrepareSession(ctx, input("ecu_st10.hex", "work/ecu.hex"), input("ecu_st10.a2l", "ecu.a2l"));
  EXPECT_EQ(host.messages,
            Messages({{"Error", std::string(kRefused) + " : " + folder.file("work/CS_ST10.qsr") +
                                    " : \"→\" (U+2192) : <ADRESSLAYOUT AST_ST10_2BLOCK QSR>"}}));
  EXPECT_FALSE(std::filesystem::exists(folder.file("work/CS_ST10.qsr")));
  EXPECT_EQ(config("QSR_TEMPLATE"), "");
}

}  // namespace
}  // namespace xkm
