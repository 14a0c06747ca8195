#pragma once
// The names list as the user works on it: saving a block into a names file, changing to
// another names file, making a new one.
#include "core/app/session.h"
#include "core/persons/names_store.h"

#include <filesystem>
#include <optional>

namespace kesmora {

class UserInterface;

// The names file whose names are listed: the settings' DataFile, else NAMES.FIL of the program
// directory.
std::filesystem::path CurrentNamesFile(const Session& session);

// The record a block is saved as. Refused, with the program's message, when the name holds a
// comma or a field fails the checks of a save (nothing is written then).
std::optional<NamesRecord> RecordToSave(const Session& session, Person person, UserInterface& ui);

// Saves the record into `file`, asking Replace, Append or Exit about each stored record of the
// same name; says why when the file is left as it was; then lists the current names file again.
SaveOutcome SavePerson(Session& session, const NamesRecord& record, const std::filesystem::path& file,
                       UserInterface& ui, NamesFileSteps& steps);

// Change List: `file` becomes the current names file and its names are listed.
void ChangeNamesList(Session& session, const std::filesystem::path& file, UserInterface& ui);

// The names file as its editor shows it: the file's bytes, and its lines in UTF-8 joined by
// line feeds. `read` is false when the file cannot be read.
struct NamesFileText {
  std::string bytes, text;
  bool read = false;
};
NamesFileText ReadNamesFileForEditing(const std::filesystem::path& file);
// The editor's Save: the edited text written whole (through a temporary file), or the file's
// own bytes again when nothing was changed. False, with the message shown, when it cannot be
// written; the file is then as it was.
bool SaveEditedNamesFile(const std::filesystem::path& file, const NamesFileText& shown, const std::string& edited,
                         UserInterface& ui);

// "Make new .FIL file": the file with the sample record as its only line. False, with the
// message shown, when it cannot be written.
bool MakeNewNamesFile(const std::filesystem::path& file, UserInterface& ui);

}  // namespace kesmora
