#include "core/output/print_pages.h"

#include "core/output/output_buffer.h"

#include <algorithm>

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
  // The blank lines the data ends with print no page of their own.
  auto blank = [](const std::string& line) { return line.find_first_not_of(" \t") == std::string::npos; };
  while (!pages.empty() && std::all_of(pages.back().begin(), pages.back().end(), blank)) pages.pop_back();
  return pages;
}

}  // namespace kesmora
