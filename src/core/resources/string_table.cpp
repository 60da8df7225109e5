#include "core/resources/string_table.h"

#include <algorithm>
#include <unordered_map>

#include "core/platform/error.h"

namespace xkm {
namespace {

struct Entry {
  int id;
  const char* german;
  const char* english;
};

// UTF-8 texts; the English twin lives at the German id + 1000.
constexpr Entry kEntries[] = {
    {60001, "Keine Information über ECU in der Library gefunden",
     "No information about ECU was found in library"},
    {60006, "Keine Zurodnung zu einem Adress-Layout möglich",
     "No allocation to Adress-Layout in library"},
    {60007, "Keine Information über Label für System-Frequenz in Library gefunden",
     "No information about System-Frequency - label was found in Library"},
    {60008, "Keine Information über System-Frequenz in A2L-File gefunden",
     "No information about System-Frequency was found in A2L-File"},
    {60009, "Keine Information über Baud-Konfiguration in Library gefunden",
     "No information about Baud-configuration was found in library"},
    {60011, "Keine System-Konstanten in A2L-File gefunden",
     "No System-Constants was found in A2L-File"},
    {60012, "Keine Information über ECU in A2L-File gefunden",
     "No information about ECU was found in A2L-File"},
    {60013, "Kein oder mehr als ein Library-File gefunden",
     "No or more then one library-file found"},
    {60014, "Library-File ist korrupt oder wurde geändert",
     "Library-file is corrupt or was changed"},
    {60015, "Library-File ist defekt", "Library-file is corrupt"},
    {60016, "Keine Information über Datablock-Anzahl in Library gefunden",
     "No information about datablock-count was found in library"},
    {60017, "Keine Information über RAW-Template in Library gefunden",
     "No information about RAW-template was found in library"},
    {60018, "Keine Information über QSR-Template in Library gefunden",
     "No information about QSR-template was found in library"},
    {60019, "Checksummen-File nicht gefunden - Checksummen können nicht eingelesen werden",
     "Checksum-file not found - checksums could not be imported"},
    {60020, "unbekannte Variablen in MCS-File", "unknown variables in mcs-file"},
    {60022, "Fehler beim Austausch von Variablen in Fkt. ReplaceData",
     "error while replacing variables in function ReplaceData"},
    {60024, "Keine Information über MCS-Template in Library gefunden",
     "No information about MCS-template was found in library"},
    {60028, "Datei nicht gefunden", "File not found"},
    {60029, "RAW-Template korrupt!", "RAW-Template corrupt"},
    {60030, "unbekannte Variable in RAW-Template", "unknown variable in RAW-Template"},
    // {folder}, {pid}, {host} and {start} are filled in by the caller.
    {60040,
     "Der Ordner {folder} wird bereits von einem anderen Lauf benutzt (Prozess {pid} auf "
     "{host}, gestartet {start}) - bitte warten, bis dieser Lauf beendet ist",
     "The folder {folder} is already in use by another run (process {pid} on {host}, started "
     "{start}) - please wait until that run has ended"},
    // {file} and {reason} are filled in by the caller.
    {60041, "Das Ablaufprotokoll {file} konnte nicht geschrieben werden: {reason}",
     "The trace log {file} could not be written: {reason}"},
    {60042, "Zeichen ohne Windows-1252-Code, Datei nicht geschrieben",
     "Character without a Windows-1252 code, file not written"},
    // {file} and {input} are filled in by the caller, as in the entries below.
    {60043, "Die Datei {file} würde die Eingabedatei {input} überschreiben oder löschen",
     "The file {file} would overwrite or delete the input file {input}"},
    {60044, "Die Datei {file} eines früheren Laufs konnte nicht entfernt werden: {reason}",
     "The file {file} of an earlier run could not be removed: {reason}"},
    {60045,
     "Kein Container geschrieben: die logistischen Daten {file} konnten nicht gelesen werden",
     "No container written: the logistic data {file} could not be read"},
    {60047,
     "Der Ordner \"{folder}\" beginnt oder endet mit einem Leerzeichen, das die Werkzeuge "
     "verlieren würden - bitte den Ordner umbenennen",
     "The folder \"{folder}\" begins or ends with a blank, which the tools would lose - please "
     "rename the folder"},
    {60048, "Die Eingabedatei {file} wurde während des Laufs geändert",
     "The input file {file} was changed during the run"},
    {60049, "Der Ordner {folder} kann nicht für diesen Lauf belegt werden: {file}: {reason}",
     "The folder {folder} cannot be claimed for this run: {file}: {reason}"},
    {60050,
     "Die Belegung {file} wurde während des Laufs entfernt - ein anderer Lauf kann im Ordner "
     "gearbeitet haben",
     "The claim {file} was removed during the run - another run may have worked in the folder"},
    // {file} and {missing} are filled in by the caller.
    {60051, "Die logistischen Daten {file} nennen keinen Auftrag: {missing} fehlt",
     "The logistic data {file} name no order: {missing} is missing"},
    {60300, "Bearbeitung beendet", "Ready!"},
    {60303, "Lese Informationen aus A2L-Datei ...", "Get infos from A2L-File ..."},
    {60307, "Erstelle XKM-Container ...", "Build XKM-Container ..."},
    {60312,
     "Möchten Sie Ihre Benutzerangaben erfassen?  Sie können die Erfassung auch später über "
     "einen Button im Hauptformular vornehmen.",
     "Would you like to enter your user data now?  You can do this also later over a button in "
     "the form.  "},
    {60313, "Lese logistische Daten", "Read logistic data"},
    {60314, "Konvertiere in BCB-Format", "Conversion to BCB-Format"},
    {60315, "Konvertiere in MIM-Format", "Conversion to MIM-Format"},
    {60316, "Lösche temporäre Dateien", "Delete temporary files"},
};

const std::unordered_map<int, const char*>& Table() {
  static const std::unordered_map<int, const char*> table = [] {
    std::unordered_map<int, const char*> t;
    for (const Entry& e : kEntries) {
      t.emplace(e.id, e.german);
      t.emplace(e.id + kEnglishOffset, e.english);
    }
    return t;
  }();
  return table;
}

}  // namespace

std::string LoadResString(int id) {
  auto it = Table().find(id);
  if (it == Table().end()) {
    throw Error(platform_error::kResourceNotFound,
                "Resource with identifier '" + std::to_string(id) + "' not found", "LoadResString");
  }
  return it->second;
}

std::string Message(int languageOffset, int germanId, std::initializer_list<MessageField> fields) {
  const std::string text = Message(languageOffset, germanId);
  // One pass over the message, so that a value holding "{...}" (a path may)
  // is never filled in again.
  std::string filled;
  size_t done = 0;
  for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', done)) {
    const size_t close = text.find('}', open);
    if (close == std::string::npos) break;
    const std::string_view name(text.data() + open + 1, close - open - 1);
    filled.append(text, done, open - done);
    const MessageField* field = std::find_if(
        fields.begin(), fields.end(), [&](const MessageField& f) { return f.first == name; });
    if (field != fields.end())
      filled.append(field->second);
    else
      filled.append(text, open, close + 1 - open);
    done = close + 1;
  }
  return filled.append(text, done);
}

}  // namespace xkm
