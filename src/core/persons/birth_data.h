#pragma once
// The editing rules of the birth-data fields and their buttons.
#include "core/persons/person_fields.h"
#include "core/persons/time_zone.h"
#include "core/settings/options_file.h"

#include <string>
#include <string_view>

namespace kesmora {

// Characters a field accepts while typing (Backspace is always accepted).
enum class KeyFilter { Any, Digits, DigitsPoint, DigitsPointMinus, DigitsMinus };
bool KeyAccepted(KeyFilter filter, char32_t character);

// The hour field's rule, run on every change: 0 becomes 12, 13 to 23 become PM and minus 12.
// Returns the new text (unchanged when the text is not a number); sets `pm` when it turns.
std::string ApplyHourRule(const std::string& hourText, bool& pm);

// "&Now": the home place of the options file, and the present instant as the clock there shows
// it, with the zone in force (`now`, see HomeClockAt), so that clock time and zone give the
// real instant.
void FillWithNow(PersonFields& fields, Person person, const ZoneClock& now, const OptionValues& options);
// "Minus 1": the time zone one hour less; the button is then disabled.
void SubtractOneHour(PersonFields& fields);
// "Adjust TZ": the local mean time zone of the longitude, four decimals; enables "Minus 1".
void AdjustTimeZone(PersonFields& fields);
// East/West choice: the zone becomes minus / plus its absolute value.
void ChooseEast(PersonFields& fields, bool east);
// Unknown time: noon.
void ChooseUnknown(PersonFields& fields);

// Days of a month of the Gregorian calendar (years before 1 counted astronomically).
int DaysInMonth(int year, int month);
// The "Update" menu: the transit month one back or forward, the year following, and a day past
// the end of the new month brought back to its last day. False, with nothing changed, when the
// year or month holds a number beyond a 16-bit integer.
bool StepMonth(PersonFields& transit, int step);

}  // namespace kesmora
