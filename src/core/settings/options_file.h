#pragma once
// OPTIONS.OPT: up to 24 program options, one number per line.
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kesmora {

using OptionValues = std::array<float, 25>;  // slots 1..24 used

// Option indexes with a fixed meaning.
namespace option {
inline constexpr int LinesPerPrintedPage = 12;
inline constexpr int ShowTipAtStart = 13;
inline constexpr int LinesPerSavedPage = 14;
inline constexpr int HomeTimeZone = 18;
inline constexpr int HomeLongDeg = 19;
inline constexpr int HomeLongMin = 20;
inline constexpr int HomeEastWest = 21;  // 0 West
inline constexpr int HomeLatDeg = 22;
inline constexpr int HomeLatMin = 23;
inline constexpr int HomeNorthSouth = 24;  // 0 North
}  // namespace option

// Reads the file over `values`: line k gives option k from its first 7 characters; reading
// stops at the first empty line, and lines after the 24th are ignored. False when the file
// cannot be opened (the values are then unchanged).
// A number that a single-precision option cannot hold reads as 0, as text that is no number does.
bool ReadOptionsFile(OptionValues& values, const std::filesystem::path& file);
// The same from the text of such a file.
void ParseOptionsText(OptionValues& values, std::string_view text);

// The text with the values of options first, first + 1, ... put in place of the numbers that
// begin their lines; what follows a number (its description) stays, and lines end in CR LF.
// Nothing when a line of those options is missing or empty, or a value is longer than the 7
// characters the reader takes.
std::optional<std::string> WithOptionValues(std::string_view text, int first, const std::vector<std::string>& values);

// A line of an options text that the reader would take as an option but that does not start
// with a number ("x5", "  ", "five"): the reader would silently make it 0.
struct OptionsTextFault {
  int line = 0;  // 1-based
  std::string text;
};
// The first such line of a text (LF or CR LF lines), nothing when every option line reads.
std::optional<OptionsTextFault> CheckOptionsText(std::string_view text);
std::string OptionsFaultMessage(const OptionsTextFault& fault, const std::string& fileName);

}  // namespace kesmora
