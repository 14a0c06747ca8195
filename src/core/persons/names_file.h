#pragma once
// The names file: one stored person per line, nine comma-separated fields.
#include "core/persons/person_fields.h"
#include "core/reference/format.h"

#include <filesystem>
#include <string>
#include <vector>

namespace kesmora {

struct NamesRecord {
  std::string name, date, time, amPm, timeZone, longitude, latitude, stateCountry, city;
};

inline constexpr const char* NamesFileReadError =
    "You have an error in the current names file. You need to check and see if "
    "you have entered the data correctly and in the proper amount. Please correct the data by "
    "clicking on the Edit List command button and edit the incorrect data.";
inline constexpr const char* SelectedDataError =
    "Format error or typographical error in selected data. Please correct this data entry by "
    "clicking on the Edit this List command button in the Names window and editing the data "
    "associated with your chosen name.";
inline constexpr const char* SampleNamesRecord =
    "Example,22 Sep 1949,10.43,A,6.35889,95.23,29.45,TX,Houston";
inline constexpr const char* CommaInNameWarning =
    "You cannot have a comma in the name. Please remove the comma and try again.";

struct NamesList {
  std::vector<NamesRecord> records;  // in file order
  bool readError = false;            // the file ended inside a record
  bool unlistedRecords = false;      // values after a record with an empty name, which ends the list
  bool windows1252 = false;          // the file was not UTF-8 and was read in the Windows code page
  bool opened = false;
  // Index of the first record whose name equals `name` exactly, or -1.
  int Find(const std::string& name) const;
};

// Reads records until the file ends or a record has an empty name. The file may be UTF-8 or
// Windows-1252; the records hold UTF-8.
NamesList ReadNamesFile(const std::filesystem::path& file);
NamesList ParseNames(const std::string& text);
// One record as a line of the file (without its line end): the nine values joined by commas,
// a value that holds a comma in double quotes.
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

// Fills a block of fields from a record. Returns false when a field cannot be read (a date
// that does not exist, a number that is none or is far out of any range); the fields filled
// before it keep their new values, and `problem`, when given, names the field and its text.
// With the year-first date order the record's date is rewritten in the table, year first.
bool LoadPersonFromRecord(NamesRecord& record, PersonFields& fields, DateOrder order,
                          std::string* problem = nullptr);

}  // namespace kesmora
