#include "core/output/tips.h"

#include "core/reference/text.h"

namespace kesmora {

Tips::Tips(const std::filesystem::path& programDir) {
  if (auto lines = ReadLines(programDir / TipsFileName)) {
    tips_ = std::move(*lines);
    found_ = true;
  }
}

void Tips::Next() {
  ++current_;
  if (current_ > Count()) current_ = 1;
}

void Tips::Back() {
  --current_;
  if (current_ < 1) current_ = TipsShown;
}

std::string Tips::Text() const {
  if (!found_) return std::string("that the ") + TipsFileName + " file was not found?";
  if (current_ < 1 || current_ > Count()) return "";
  return tips_[static_cast<size_t>(current_ - 1)];
}

}  // namespace kesmora
