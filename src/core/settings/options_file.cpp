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
