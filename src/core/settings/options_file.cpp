#include "core/settings/options_file.h"

#include "core/reference/text.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace kesmora {

bool ReadOptionsFile(OptionValues& values, const std::filesystem::path& file) {
  auto text = ReadWholeFile(file);
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

std::optional<std::string> WithOptionValues(std::string_view text, int first, const std::vector<std::string>& values) {
  constexpr size_t kValueWidth = 7;
  std::vector<std::string> lines = SplitLines(text);
  for (size_t k = 0; k < values.size(); ++k) {
    const size_t at = static_cast<size_t>(first - 1) + k;
    if (first < 1 || at >= lines.size() || lines[at].empty() || values[k].size() > kValueWidth) return std::nullopt;
    // The number and the blanks after it make way for the new number, padded to the same column.
    std::string& line = lines[at];
    const size_t number = std::min(line.find_first_not_of(" \t"), line.size());
    const size_t blank = std::min(line.find_first_of(" \t", number), line.size());
    const size_t rest = std::min(line.find_first_not_of(" \t", blank), line.size());
    const std::string tail = line.substr(rest);
    std::string value = values[k];
    if (!tail.empty()) value.resize(std::max(rest, kValueWidth + 1), ' ');
    line = value + tail;
  }
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
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
