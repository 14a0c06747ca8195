#include "core/output/output_buffer.h"

#include "core/reference/format.h"
#include "core/reference/text.h"

#include <algorithm>
#include <string_view>

namespace kesmora {

namespace fs = std::filesystem;

OutputBuffer::OutputBuffer() { Reset(); }

void OutputBuffer::Append(std::vector<std::string>& lines, int& count, const std::string& line) {
  lines[static_cast<size_t>(count)] = line;
  ++count;
  lines.resize(static_cast<size_t>(count) + 1);
}

void OutputBuffer::StartNewPage() {
  pageCount_ = 0;
  page_.assign(2, "");
}

void OutputBuffer::AddOutLine() {
  Append(all_, allCount_, outLine);
  Append(page_, pageCount_, outLine);
}

void OutputBuffer::AddBlankLine() {
  outLine.clear();
  AddOutLine();
}

void OutputBuffer::ClearAll() {
  allCount_ = 0;
  all_.assign(2, "");
}

void OutputBuffer::Reset() {
  ClearAll();
  StartNewPage();
}

std::vector<std::string> OutputBuffer::AllLinesForOutput() const {
  return {all_.begin(), all_.begin() + allCount_ + 1};
}

std::vector<std::string> OutputBuffer::PageLinesForOutput() const {
  return {page_.begin(), page_.begin() + pageCount_ + 1};
}

fs::path PageFilePath(const fs::path& programDir) {
  return FindIgnoringCase(programDir, "REPORTS") / "LASTPAGE.TXT";
}

fs::path PrintFilePath(const fs::path& programDir) { return programDir / "PRNTFILE.XXX"; }

std::optional<fs::path> OutputBuffer::ShowPage(const fs::path& programDir) {
  if (allCount_ == 0) return std::nullopt;
  AddBlankLine();
  fs::path file = PageFilePath(programDir);
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  if (!WriteFileAtomically(file, JoinCrlf(PageLinesForOutput()))) return std::nullopt;
  return file;
}

std::string OutputBuffer::SaveText(int linesPerPage) const {
  std::vector<std::string> out;
  int counter = 1;
  bool formFeedSeen = false;
  for (const std::string& line : AllLinesForOutput()) {
    out.push_back(line);
    if (line == FormFeedLine) {
      counter = 0;
      formFeedSeen = true;
    }
    if (counter == linesPerPage) {
      out.emplace_back(FormFeedLine);
      counter = 0;
    }
    ++counter;
  }
  if (!formFeedSeen) out.emplace_back(FormFeedLine);
  return JoinCrlf(out);
}

namespace {

// Bytes of the first `count` characters of UTF-8 text.
size_t BytesOfCharacters(const std::string& text, size_t count) {
  size_t bytes = 0;
  for (size_t chars = 0; bytes < text.size(); ++bytes) {
    bool lead = (static_cast<unsigned char>(text[bytes]) & 0xC0) != 0x80;
    if (lead && chars++ == count) break;
  }
  return bytes;
}

}  // namespace

std::string ProposedDataFileName(const std::string& personName) {
  const size_t blank = personName.find(' ');
  const size_t eight = BytesOfCharacters(personName, 8);
  // The first word, unless there is none or it is longer than eight characters.
  std::string stem = blank == std::string::npos || blank >= eight ? personName.substr(0, eight)
                                                                  : personName.substr(0, blank);
  return FileNameOf(stem, ".txt");
}

}  // namespace kesmora
