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

}  // namespace kesmora
