// The names file: records read from any text, loaded into a block of fields in each date
// order, checked as "Calculate planetary data" checks them, and turned into chart inputs.
#include "fuzz_support.h"

#include "core/chart/chart_calculator.h"
#include "core/app/planetary_data.h"
#include "core/persons/names_file.h"
#include "core/reference/format.h"
#include "core/reference/text.h"

#include <cmath>

using namespace kesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz::Text(data, size);
  NamesList list = ParseNames(text);
  // A line is a record: every line that is not blank is listed or named, and one that cannot be
  // read shifts no other.
  size_t lines = 0;
  for (const std::string& line : SplitLines(text)) lines += !Trim(line).empty();
  KESMORA_REQUIRE(list.records.size() + list.unreadable.size() == lines);
  // Written again, every record reads back as it was.
  for (const NamesRecord& stored : list.records) KESMORA_REQUIRE(ParseNamesLine(NamesRecordLine(stored)) == stored);
  size_t tried = 0;
  for (const NamesRecord& stored : list.records) {
    if (++tried > 20) break;  // a long file repeats what its first records show
    for (DateOrder order : {DateOrder::MonthDayYear, DateOrder::DayMonthYear, DateOrder::YearMonthDay}) {
      NamesRecord record = stored;
      PersonFields fields;
      std::string problem;
      if (!LoadPersonFromRecord(record, fields, order, &problem)) {
        KESMORA_REQUIRE(!problem.empty());
        continue;
      }
      PersonFields transit = fields;
      if (!CheckPersonFields(fields, transit).empty()) continue;
      // Fields that pass the checks make a real moment at a real place.
      PersonReading reading = ReadPersonFields(fields, order);
      KESMORA_REQUIRE(ValidDate({reading.year, reading.month, reading.day}));
      ChartInputs in = ChartInputsOf(fields, reading);
      KESMORA_REQUIRE(std::abs(in.longitude) <= 180 && std::abs(in.latitude) <= 90);
      KESMORA_REQUIRE(in.hour >= -13 && in.hour <= 24 + 13 && in.minute >= 0 && in.minute <= 60);
      KESMORA_REQUIRE(std::isfinite(JulianDayOf(in)));
    }
  }
  return 0;
}
