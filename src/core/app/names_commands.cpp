#include "core/app/names_commands.h"

#include "core/app/startup.h"
#include "core/app/user_interface.h"
#include "core/app/planetary_data.h"

namespace kesmora {

namespace fs = std::filesystem;

fs::path CurrentNamesFile(const Session& s) {
  return s.settings.dataFile.empty() ? s.programDir / "NAMES.FIL" : fs::path(s.settings.dataFile);
}

std::optional<NamesRecord> RecordToSave(const Session& s, Person person, UserInterface& ui) {
  const PersonFields& fields = person == Person::One ? s.person1 : s.person2;
  if (fields.name.find(',') != std::string::npos) {
    ui.ShowMessage({MessageIcon::Stop, "Warning!", CommaInNameWarning});
    return std::nullopt;
  }
  const std::vector<std::string> failures = CheckPersonToSave(fields, person);
  for (const std::string& text : failures) ui.ShowMessage({MessageIcon::Information, "Warning!", text});
  if (!failures.empty()) return std::nullopt;
  return RecordFromFields(fields);
}

SaveOutcome SavePerson(Session& s, const NamesRecord& record, const fs::path& file, UserInterface& ui,
                       NamesFileSteps& steps) {
  auto ask = [&](const NamesRecord& stored) {
    switch (ui.Ask({QuestionButtons::ReplaceAppendExit, DuplicateQuestionCaption(record.name),
                    DuplicateQuestionText(stored)})) {
      case Answer::Replace: return DuplicateChoice::Replace;
      case Answer::Append: return DuplicateChoice::Append;
      default: return DuplicateChoice::Exit;
    }
  };
  SaveOutcome outcome = SaveRecordToNamesFile(file, record, ask, steps);
  if (outcome.kind == SaveOutcome::Kind::Failed) ui.ShowMessage({MessageIcon::Critical, "Error", outcome.message});
  LoadNamesList(s, ui);
  return outcome;
}

void ChangeNamesList(Session& s, const fs::path& file, UserInterface& ui) {
  s.settings.dataFile = file.string();
  LoadNamesList(s, ui);
}

NamesFileText ReadNamesFileForEditing(const fs::path& file) {
  NamesFileText t;
  const std::optional<std::string> bytes = ReadWholeFile(file);
  if (!bytes) return t;
  t.bytes = *bytes;
  for (const std::string& line : SplitLines(DecodeFileText(*bytes).text)) t.text += line + "\n";
  t.read = true;
  return t;
}

bool SaveEditedNamesFile(const fs::path& file, const NamesFileText& shown, const std::string& edited,
                         UserInterface& ui) {
  const WriteResult written = WriteFileAtomically(file, EditedNamesFileBytes(shown.bytes, shown.text, edited));
  if (!written) ui.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(file, written)});
  return static_cast<bool>(written);
}

bool MakeNewNamesFile(const fs::path& file, UserInterface& ui) {
  WriteResult written = WriteFileAtomically(file, std::string(SampleNamesRecord) + std::string(CRLF));
  if (!written) ui.ShowMessage({MessageIcon::Critical, "Error", WriteFailureText(file, written)});
  return static_cast<bool>(written);
}

}  // namespace kesmora
