#include "core/settings/options_file.h"

#include "core/reference/text.h"

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

}  // namespace kesmora
