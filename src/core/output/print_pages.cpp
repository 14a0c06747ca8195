#include "core/output/print_pages.h"

#include "core/output/output_buffer.h"

namespace kesmora {

std::vector<std::vector<std::string>> PrintPages(const std::vector<std::string>& lines, int linesPerPage) {
  std::vector<std::vector<std::string>> pages(1);
  int counter = 1;
  for (const std::string& line : lines) {
    if (line == FormFeedLine) {
      pages.emplace_back();
      counter = 0;
    } else {
      pages.back().push_back(line);
      if (counter == linesPerPage) {
        pages.emplace_back();
        counter = 0;
      }
    }
    ++counter;
  }
  if (pages.back().empty()) pages.pop_back();
  return pages;
}

}  // namespace kesmora
