#include "core/settings/options_file.h"

#include "core/reference/text.h"

namespace kesmora {

bool ReadOptionsFile(OptionValues& values, const std::filesystem::path& file) {
  auto lines = ReadLines(file);
  if (!lines) return false;
  size_t k = 0;
  for (const std::string& line : *lines) {
    if (line.empty()) break;
    if (++k >= values.size()) break;
    values[k] = static_cast<float>(LeadingNumber(line.substr(0, 7)));
  }
  return true;
}

std::optional<OptionsTextFault> CheckOptionsText(std::string_view text) {
  size_t pos = 0;
  for (int k = 1; k < static_cast<int>(OptionValues{}.size()) && pos < text.size(); ++k) {
    size_t end = text.find('\n', pos);
    std::string_view line = text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) break;  // the reader stops here too
    if (!HasLeadingNumber(line.substr(0, 7))) return OptionsTextFault{k, std::string(line)};
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return std::nullopt;
}

std::string OptionsFaultMessage(const OptionsTextFault& fault, const std::string& fileName) {
  return "Line " + std::to_string(fault.line) + " of " + fileName + " does not start with a number:\n\"" +
         fault.text + "\"\nThe file was not saved.";
}

}  // namespace kesmora
