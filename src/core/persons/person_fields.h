#pragma once
// The texts of one block of birth-data fields, as the window holds them.
#include <string>

namespace kesmora {

enum class HalfDay { AM, PM, Unknown };
enum class Person { One = 1, Two = 2 };  // natal, transit

struct PersonFields {
  std::string name;
  std::string month, day, year;
  std::string hour, minute;
  HalfDay half = HalfDay::AM;
  std::string timeZone;  // hours added to clock time to give UT; west positive
  std::string longDeg, longMin;
  bool east = false;
  std::string latDeg, latMin;
  bool south = false;
  std::string stateCountry, city;
  bool minusOneEnabled = true;  // the "Minus 1" button of the block
};

}  // namespace kesmora
