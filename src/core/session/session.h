#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/platform/os/file_lock.h"
#include "core/session/layout_trace.h"
#include "core/session/prepared_run.h"
#include "core/session/session_table.h"
#include "core/session/tool_run.h"

namespace xkm {

class LibraryModel;  // read by the library layer; the session only carries it

// The state one run shares between its steps: the session tables and the
// loaded configuration library. Both are replaced at the start of every run.
struct Session {
  SessionTable ConfigTable;
  SessionTable UserDataTable;
  SessionTable SysConstTable;
  SessionTable DataTable;
  SessionTable MemorySegmentTable;

  std::shared_ptr<const LibraryModel> Library;  // null until a library is loaded
  std::string LibraryFilePath;

  std::vector<LayoutTraceEntry> layoutTrace;

  // Filled when the preparation succeeded; as constructed otherwise.
  PreparedRun prepared;

  // What the current run did beyond the tables: every external tool it ran,
  // in order, the container it wrote and the SGO file its converter left
  // (each empty when none), and how its logistic data were read. Only these
  // count as the run's outputs: a file of the same name from an earlier run
  // never does. beginRun() clears them.
  std::vector<ToolRun> toolRuns;
  std::string writtenContainer;
  std::string convertedContainer;
  // The converter's control file the conversion step wrote, by name.
  std::string writtenControlFile;
  enum class LogisticData { NotRead, Read, Failed };
  LogisticData logisticData = LogisticData::NotRead;
  // The files of an earlier run this run renamed to "<file>.earlier-run", so
  // that the operator learns where they went.
  std::vector<std::string> setAside;
  // A wait (a tool, the folder claim) was ended because the run was asked to
  // stop: the step's failure that follows is the stop, not a fault.
  bool endedByStop = false;
  // The first failure the session preparation showed: the real cause, which
  // the steps after it name instead of what follows from it.
  std::string preparationFailure;

  void beginRun() {
    preparationFailure.clear();
    prepared = {};
    writtenControlFile.clear();
    toolRuns.clear();
    writtenContainer.clear();
    convertedContainer.clear();
    setAside.clear();
    logisticData = LogisticData::NotRead;
    endedByStop = false;
  }

  // The run's claim on its working folder, held from Init to the run's end.
  FileLock folderLock;
};

// The 23 session variables created in advance, in their order.
extern const char* const kConfigCatalogue[23];

// Drops the five tables and creates them afresh: ConfigTable with the 23
// catalogue rows (values null), the other four empty. A failure is raised as
// error msg::kFailure with the underlying description.
void InitSessionTables(Session& session);

// The value of the one row named `name` (trimmed) at column `field`, trimmed of
// blanks, null as empty; the empty text when the table has no rows or not
// exactly one row carries the name. A column the table lacks raises an error.
std::string ReadValue(const SessionTable& table, std::string_view name, int field);

// The value column of the name/value tables (ConfigTable, DataTable), and the
// value of row `name` there.
inline constexpr int kValueField = 1;
inline std::string ValueOf(const SessionTable& table, std::string_view name) {
  return ReadValue(table, name, kValueField);
}

// A value as ReadValue gives it back once written: trimmed of blanks. A name
// one step writes and a later one reads back (the chosen layout) is used in
// this form there.
std::string ValueAsReadBack(std::string_view written);

// Sets column 1 of the one row named `name` (trimmed) to `value`, stored as
// given; when not exactly one row carries the name, appends a row with the
// name as given and the value.
void WriteValue(SessionTable& table, std::string_view name, std::string_view value);

}  // namespace xkm
