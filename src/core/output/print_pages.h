#pragma once
// How the print file is cut into printed pages.
#include <string>
#include <vector>

namespace kesmora {

// The printed pages of the print file's lines. A line holding one form feed is not printed
// but starts a new page and restarts the count; after `linesPerPage` counted lines a new page
// starts (no limit when it is 0 or less). A last page left empty, or holding blank lines only,
// is not printed.
std::vector<std::vector<std::string>> PrintPages(const std::vector<std::string>& lines, int linesPerPage);

}  // namespace kesmora
