#include "core/settings/options_file.h"

#include "core/reference/text.h"

#include <cmath>
#include <limits>

namespace kesmora {

bool ReadOptionsFile(OptionValues& values, const std::filesystem::path& file) {
  auto text = ReadTextFile(file);
  if (!text) return false;
  ParseOptionsText(values, *text);
  return true;
}

void ParseOptionsText(OptionValues& values, std::string_view text) {
  size_t k = 0;
  for (const std::string& line : SplitLines(text)) {
    if (line.empty()) break;
    if (++k >= values.size()) break;
    double value = LeadingNumber(line.substr(0, 7));
    values[k] = std::abs(value) <= std::numeric_limits<float>::max() ? static_cast<float>(value) : 0.0f;
  }
}

std::optional<std::string> WithOptionValue(std::string_view text, int index, float value) {
  if (index < 1) return std::nullopt;
  std::vector<std::string> lines = SplitLines(text);
  // The reader stops at the first empty line: a line after it is no option.
  for (int k = 0; k < index; ++k)
    if (static_cast<size_t>(k) >= lines.size() || lines[static_cast<size_t>(k)].empty()) return std::nullopt;
  std::string& line = lines[static_cast<size_t>(index - 1)];
  std::string number = NumberText(value);
  if (number.size() < 7) number.append(7 - number.size(), ' ');
  line = number + (line.size() > 7 ? line.substr(7) : std::string());
  // The last line keeps its line break, or its lack of one.
  std::string joined = JoinCrlf(lines);
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') joined.resize(joined.size() - 2);
  return joined;
}

std::optional<OptionsTextFault> CheckOptionsText(std::string_view text) {
  // The lines as the reader takes them: up to the first empty one, at most 24.
  int k = 0;
  for (const std::string& line : SplitLines(text)) {
    if (line.empty() || ++k >= static_cast<int>(OptionValues{}.size())) break;
    if (!HasLeadingNumber(std::string_view(line).substr(0, 7))) return OptionsTextFault{k, line};
  }
  return std::nullopt;
}

std::string OptionsFaultMessage(const OptionsTextFault& fault, const std::string& fileName) {
  return "Line " + std::to_string(fault.line) + " of " + fileName + " does not start with a number:\n\"" +
         fault.text + "\"\nThe file was not saved.";
}

}  // namespace kesmora
