#pragma once
// The names file: one stored person per line, nine comma-separated fields.
#include "core/persons/person_fields.h"
#include "core/reference/format.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kesmora {

struct NamesRecord {
  std::string name, date, time, amPm, timeZone, longitude, latitude, stateCountry, city;
  bool operator==(const NamesRecord&) const = default;
};

// The message about the lines of a names file that hold no record (the file and the line
// numbers are put in front of it by NamesFileErrorText).
inline constexpr const char* NamesFileReadError =
    "You need to check and see if you have entered the data correctly and in the proper amount. "
    "Please correct the data by clicking on the Edit List button and edit the incorrect data.";
inline constexpr const char* SelectedDataError =
    "Format error or typographical error in selected data. Please correct this data entry by "
    "clicking on the Edit List button and editing the data associated with your chosen name.";
inline constexpr const char* SampleNamesRecord =
    "Example,22 Sep 1949,10.43,A,6.35889,95.23,29.45,TX,Houston";
inline constexpr const char* CommaInNameWarning =
    "You cannot have a comma in the name. Please remove the comma and try again.";
inline constexpr int NamesRecordFields = 9;

// A line of a names file that holds no record: not nine values, or no name.
struct UnreadableLine {
  int number = 0;            // 1-based line number in the file
  std::string text;          // the line as read (UTF-8)
  size_t recordsBefore = 0;  // records of the file above it, so that a save keeps it in place
};

struct NamesList {
  std::vector<NamesRecord> records;  // in file order
  std::vector<UnreadableLine> unreadable;
  bool windows1252 = false;          // the file was not UTF-8 and was read in the Windows code page
  bool opened = false;
  // Index of the first record whose name equals `name` exactly, or -1.
  int Find(const std::string& name) const;
};

// Each line is one record: a line that holds no record is left out (and noted), and the lines
// after it are read as usual; blank lines are skipped. The file may be UTF-8 or Windows-1252;
// the records hold UTF-8.
NamesList ReadNamesFile(const std::filesystem::path& file);
NamesList ParseNames(const std::string& text);
// One line as a record: its nine values, whatever they hold (an empty name too); nothing when
// the line does not hold nine values or holds a line break.
std::optional<NamesRecord> ParseNamesLine(std::string_view line);
// "You have an error in the names file /x/NAMES.FIL on lines 3 and 7. You need to check ..."
std::string NamesFileErrorText(const std::filesystem::path& file, const std::vector<UnreadableLine>& lines);
// One record as a line of the file (without its line end): the nine values joined by commas,
// each quoted where it must be to read back as it is (QuotedWhereNeeded).
std::string NamesRecordLine(const NamesRecord& record);
// The record a block of fields is saved as; the fields must have passed the checks of a save.
// Date "dd mmm yyyy" with the English month; time "##.#0"; the time zone as typed; longitude
// "#00#.#0" West positive; latitude "#0#.#0" North positive; always with a decimal point.
NamesRecord RecordFromFields(const PersonFields& fields);

// What the editor of a names file writes: the file's own bytes when the text shown was not
// changed; otherwise the edited lines, each ended by CR LF, in UTF-8 (nothing at all for a
// text shorter than two characters).
std::string EditedNamesFileBytes(const std::string& fileBytes, const std::string& shownText,
                                 const std::string& editedText);
// The label of the list: the file name after the last separator, upper-cased.
std::string NamesFileLabel(const std::string& path);

// A stored date as the names table holds it in a date order: with the year-first order a date
// stored day first ("22 Sep 1949") is held year first ("1949 Sep 22"); otherwise as it is.
std::string StoredDateInOrder(const std::string& date, DateOrder order);

// Fills a block of fields from a record, its date read as StoredDateInOrder gives it. Returns
// false when a field cannot be read (a date that does not exist, a number that is none or is
// far out of any range); the fields filled before it keep their new values, and `problem`,
// when given, names the field and its text. The record itself is left as it is.
bool LoadPersonFromRecord(const NamesRecord& record, PersonFields& fields, DateOrder order,
                          std::string* problem = nullptr);

}  // namespace kesmora
