#include "core/persons/names_store.h"

#include <fmt/format.h>

#include <system_error>

namespace kesmora {

namespace fs = std::filesystem;

std::optional<std::string> NamesFileSteps::Read(const fs::path& file) {
  std::error_code ec;
  if (!fs::exists(file, ec) && !ec) return std::string();
  return ReadWholeFile(file);
}

TemporaryFile NamesFileSteps::WriteTemporary(const fs::path& file, std::string_view contents) {
  return WriteTemporaryBeside(file, contents);
}

WriteResult NamesFileSteps::WriteBackup(const fs::path& backup, std::string_view contents) {
  return WriteFileAtomically(backup, contents);
}

WriteResult NamesFileSteps::Replace(const fs::path& temporary, const fs::path& file) {
  return ReplaceWithTemporary(temporary, file);
}

fs::path BackupPathOf(const fs::path& file) {
  const std::string name = file.filename().string();
  const bool threeLetterExtension = name.size() > 4 && name[name.size() - 4] == '.';
  fs::path backup = file;
  if (threeLetterExtension && ToLower(name.substr(name.size() - 3)) != "old")
    backup.replace_filename(name.substr(0, name.size() - 3) + "old");
  else
    backup += ".old";
  return backup;
}

std::string DuplicateQuestionCaption(const std::string& name) { return name + " already exists"; }

std::string DuplicateQuestionText(const NamesRecord& r) {
  return fmt::format(
      "There is already a name on file matching your current name with the following associated data: \n\n"
      "Date =  {}\nTime =  {} {}\nTime zone =  {}\nLongitude =  {}\nLatitude =  {}\n{}\n{}\n"
      "Do you want to replace it?\n\n"
      "Answering 'APPEND' will append the current name and data to file, not replace the existing entry.",
      r.date, r.time, r.amPm, r.timeZone, r.longitude, r.latitude, r.stateCountry, r.city);
}

namespace {

SaveOutcome Failure(SaveOutcome::Kind kind, std::string message) {
  SaveOutcome out;
  out.kind = kind;
  out.message = std::move(message);
  return out;
}

std::string Unchanged(const fs::path& file, const std::string& why) {
  return fmt::format("{} The names file {} is unchanged.", why, file.string());
}

}  // namespace

SaveOutcome SaveRecordToNamesFile(const fs::path& file, const NamesRecord& record,
                                  const std::function<DuplicateChoice(const NamesRecord&)>& ask,
                                  NamesFileSteps& steps) {
  using Kind = SaveOutcome::Kind;
  const std::optional<std::string> old = steps.Read(file);
  if (!old) return Failure(Kind::Failed, fmt::format("I cannot read the names file {}.", file.string()));
  const DecodedText text = DecodeFileText(*old);
  const NamesList stored = ParseNames(text.text);

  std::string contents;
  // A line that holds no record stays as it is, where it is, for the user to mend.
  auto unreadable = stored.unreadable.begin();
  auto keepUnreadableUpTo = [&](size_t records) {
    for (; unreadable != stored.unreadable.end() && unreadable->recordsBefore <= records; ++unreadable) {
      contents += unreadable->text;
      contents += CRLF;
    }
  };
  const std::string name = FoldCase(record.name);
  for (size_t k = 0; k < stored.records.size(); ++k) {
    keepUnreadableUpTo(k);
    const NamesRecord& r = stored.records[k];
    if (FoldCase(r.name) == name) {
      switch (ask(r)) {
        case DuplicateChoice::Exit: return Failure(Kind::Exited, "");
        case DuplicateChoice::Replace: continue;
        case DuplicateChoice::Append: break;
      }
    }
    contents += NamesRecordLine(r);
    contents += CRLF;
  }
  keepUnreadableUpTo(stored.records.size());
  contents += NamesRecordLine(record);
  contents += CRLF;

  TemporaryFile temp = steps.WriteTemporary(file, contents);
  if (!temp.result) return Failure(Kind::Failed, Unchanged(file, WriteFailureText(file, temp.result)));
  if (!old->empty()) {
    const fs::path backup = BackupPathOf(file);
    if (WriteResult kept = steps.WriteBackup(backup, *old); !kept) {
      std::error_code ec;
      fs::remove(temp.path, ec);
      return Failure(Kind::Failed, Unchanged(file, WriteFailureText(backup, kept)));
    }
  }
  if (WriteResult replaced = steps.Replace(temp.path, file); !replaced) {
    std::error_code ec;
    fs::remove(temp.path, ec);
    return Failure(Kind::Failed, Unchanged(file, WriteFailureText(file, replaced)));
  }
  SaveOutcome saved;
  saved.kind = Kind::Saved;
  saved.convertedToUtf8 = text.windows1252;
  return saved;
}

}  // namespace kesmora
