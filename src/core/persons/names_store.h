#pragma once
// Saving a person into a names file without ever losing what the file holds: the kept records
// and the new one are written to a temporary file beside it and flushed, the old file is kept
// as the backup, and only then is the new file renamed into place.
#include "core/persons/names_file.h"
#include "core/reference/text.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kesmora {

// What to do with a stored record of the same name (case ignored): drop it, keep it beside
// the new one, or leave the file as it is.
enum class DuplicateChoice { Replace, Append, Exit };

// The steps of a save that touch the disk. Tests replace them to make any one of them fail.
class NamesFileSteps {
 public:
  virtual ~NamesFileSteps() = default;
  // The file's bytes; an empty text when there is no file yet, nothing when it cannot be read.
  virtual std::optional<std::string> Read(const std::filesystem::path& file);
  virtual TemporaryFile WriteTemporary(const std::filesystem::path& file, std::string_view contents);
  virtual WriteResult WriteBackup(const std::filesystem::path& backup, std::string_view contents);
  virtual WriteResult Replace(const std::filesystem::path& temporary, const std::filesystem::path& file);
};

struct SaveOutcome {
  enum class Kind { Saved, Exited, Failed };
  Kind kind = Kind::Failed;
  std::string message;         // what to show when the save did not happen
  bool convertedToUtf8 = false;  // the file was in the Windows code page and is UTF-8 now
  explicit operator bool() const { return kind == Kind::Saved; }
};

// The backup of a names file: its three-letter extension replaced by "old" (NAMES.FIL gives
// NAMES.old); a file without one, or one that is itself a backup, gets ".old" added.
std::filesystem::path BackupPathOf(const std::filesystem::path& file);

// Text of the question about a stored record: "<name> already exists" and the stored data.
std::string DuplicateQuestionCaption(const std::string& name);
std::string DuplicateQuestionText(const NamesRecord& stored);

// Saves `record` into `file`. Every stored record whose name equals the record's name
// (ignoring case) is put to `ask`. Lines that hold no record are kept as they are. The file is
// not touched when it cannot be read, when `ask` says Exit, or when any step fails; a file in
// the Windows code page is written back whole in UTF-8.
SaveOutcome SaveRecordToNamesFile(const std::filesystem::path& file, const NamesRecord& record,
                                  const std::function<DuplicateChoice(const NamesRecord& stored)>& ask,
                                  NamesFileSteps& steps);

}  // namespace kesmora
