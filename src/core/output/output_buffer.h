#pragma once
// The output buffer behind the data window: every line written since start, and the lines of
// the current page.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kesmora {

inline constexpr const char* FormFeedLine = "\f";

class OutputBuffer {
 public:
  OutputBuffer();

  std::string outLine;  // the line about to be appended

  void StartNewPage();   // the page's lines are emptied; every line written is kept
  void AddOutLine();     // outLine to both lists
  void AddBlankLine();
  void ClearAll();       // "Clear all data": every line written is forgotten, the page stays
  void Reset();          // both lists emptied, as a new calculation does

  // Adds a blank line and writes the page to REPORTS/LASTPAGE.TXT below the program
  // directory; returns that file, or nothing when the buffer holds no line at all.
  std::optional<std::filesystem::path> ShowPage(const std::filesystem::path& programDir);

  int AllLineCount() const { return allCount_; }
  int PageLineCount() const { return pageCount_; }
  // Lines 0..count inclusive, as the writers walk them (the last one is the empty spare).
  std::vector<std::string> AllLinesForOutput() const;
  std::vector<std::string> PageLinesForOutput() const;

  // The text "Save" writes: every line, a form-feed line after each `linesPerPage` lines
  // counted from the last form feed in the data, and one at the end when the data had none.
  std::string SaveText(int linesPerPage) const;

 private:
  static void Append(std::vector<std::string>& lines, int& count, const std::string& line);
  std::vector<std::string> all_, page_;
  int allCount_ = 0, pageCount_ = 0;
};

// The page file below the program directory.
std::filesystem::path PageFilePath(const std::filesystem::path& programDir);
// The print file below the program directory.
std::filesystem::path PrintFilePath(const std::filesystem::path& programDir);

// The proposed file name of "Save As": the first word of the name, or its first 8 characters
// when it has no blank or the first blank comes late, followed by ".txt". Characters a file
// name cannot hold become "_", leading points go, and an empty name gives "Kesmora.txt".
std::string ProposedDataFileName(const std::string& personName);

}  // namespace kesmora
