#pragma once
// Text and number helpers shared by every reader and writer of the program's files.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kesmora {

inline constexpr std::string_view CRLF = "\r\n";

// The leading number of a text, as a double; blank, empty or non-numeric text reads as 0.
double LeadingNumber(std::string_view text);
// True when the text starts (after blanks) with something LeadingNumber can read.
bool HasLeadingNumber(std::string_view text);

std::string Trim(std::string_view text);  // blanks and tabs at both ends
std::string ToUpper(std::string_view text);
std::string ToLower(std::string_view text);

// A number as the program writes it into fields and files: up to 15 significant digits,
// no trailing zeros, always a point ("6.35889", "-5", "0").
std::string NumberText(double value);
// Whole number with at least `digits` digits ("00" pattern).
std::string ZeroPadded(long long value, int digits);
// Fixed decimals with a minimum count of integer digits ("#00#.#0" is (3, 2)), rounded
// half away from zero, minus sign before the digits.
std::string FixedPattern(double value, int minIntegerDigits, int decimals);

// Reads a whole text file as lines; accepts LF and CR LF. Returns nothing when it cannot be read.
std::optional<std::vector<std::string>> ReadLines(const std::filesystem::path& path);
std::optional<std::string> ReadWholeFile(const std::filesystem::path& path);

// Writes text to a temporary file beside `path`, then renames it over `path`, so a failure
// never leaves a half-written file. Returns false on failure (the old file stays).
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view contents);
// Joins lines, each ended by CR LF.
std::string JoinCrlf(const std::vector<std::string>& lines);

// Comma-separated value stream as the program's data files use it: blanks before a value are
// skipped, a value ends at a comma or line end, a quoted value may hold commas; a record is
// read value by value and may run across line ends.
class ValueStream {
 public:
  explicit ValueStream(std::string text);
  bool AtEnd() const;
  // The next value; nothing when the stream is exhausted.
  std::optional<std::string> Next();

 private:
  void SkipBlankLines();
  std::string text_;
  size_t pos_ = 0;
};

}  // namespace kesmora
