// The text, number and date readers every file and field goes through, with the round trips
// of the date texts.
#include "fuzz_support.h"

#include "core/persons/birth_data.h"
#include "core/reference/format.h"
#include "core/reference/text.h"
#include "core/search/run_options.h"

#include <cmath>

using namespace kesmora;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = fuzz::Text(data, size);

  double number = LeadingNumber(text);
  KESMORA_REQUIRE(!std::isnan(number));
  KESMORA_REQUIRE(HasLeadingNumber(text) || number == 0);
  if (auto whole = WholeNumber(text)) KESMORA_REQUIRE(static_cast<double>(*whole) == std::round(number));
  KESMORA_REQUIRE(FormatLongitude(number).size() == 14);
  KESMORA_REQUIRE(FormatLongitude(std::nan("")).size() == 14);
  ZeroPadded(WholeNumber(text).value_or(0), 2);
  ClampedInt(number);
  ClampedFloat(number);

  for (const std::string& line : SplitLines(text)) {
    KESMORA_REQUIRE(line.find_first_of("\r\n") == std::string::npos);
    // Values written as the files write them read back as they were.
    const std::vector<std::string> values = SplitValues(line);
    std::string written;
    for (size_t k = 0; k < values.size(); ++k) written += (k > 0 ? "," : "") + QuotedWhereNeeded(values[k]);
    KESMORA_REQUIRE(SplitValues(written) == values);
  }
  KESMORA_REQUIRE(IsValidUtf8(ValidUtf8(text)));
  KESMORA_REQUIRE(IsValidUtf8(DecodeFileText(text).text));

  size_t values = 0;
  ValueStream stream(text);
  while (auto value = stream.Next()) KESMORA_REQUIRE(++values <= text.size() + 1);

  for (DateOrder order : {DateOrder::MonthDayYear, DateOrder::DayMonthYear, DateOrder::YearMonthDay}) {
    if (auto date = ParseDateText(text, order)) {
      KESMORA_REQUIRE(ValidDate(*date));
      auto again = ParseDateText(DateText(*date, order), order);
      KESMORA_REQUIRE(again && again->year == date->year && again->month == date->month && again->day == date->day);
    }
    if (auto date = ParseStoredDate(text, order)) {
      KESMORA_REQUIRE(ValidDate(*date));
      auto again = ParseStoredDate(DayMonthNameYear(*date), order);
      KESMORA_REQUIRE(again && again->year == date->year && again->month == date->month && again->day == date->day);
    }
  }

  bool pm = false;
  std::string hour = ApplyHourRule(text, pm);
  if (pm) KESMORA_REQUIRE(LeadingNumber(hour) > 0 && LeadingNumber(hour) < 12);
  if (auto hours = ClockTimeHours(text)) KESMORA_REQUIRE(*hours >= 0 && *hours < 24);
  return 0;
}
