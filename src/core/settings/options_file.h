#pragma once
// OPTIONS.OPT: up to 24 program options, one number per line.
#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kesmora {

inline constexpr const char* OptionsFileName = "OPTIONS.OPT";
inline constexpr const char* MasterOptionsFileName = "OPTIONS.MST";  // the factory copy

using OptionValues = std::array<float, 25>;  // slots 1..24 used

// Option indexes with a fixed meaning.
namespace option {
inline constexpr int LinesPerPrintedPage = 12;
inline constexpr int ShowTipAtStart = 13;
inline constexpr int LinesPerSavedPage = 14;
// Not 0: the Moon is void of course by its aspects to Sun..Saturn only, not Sun..Pluto.
inline constexpr int TraditionalVoid = 15;
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

// The text of an options file with option `index` set to `value`: the first 7 characters of
// line `index` replaced, its description and every other line kept, CR LF between the lines.
// Nothing when the text has fewer option lines than that.
std::optional<std::string> WithOptionValue(std::string_view text, int index, float value);

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
