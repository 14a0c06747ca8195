#include "core/search/election_file.h"

#include <fmt/format.h>

namespace kesmora {

ElectionRead ParseElectionText(std::string_view text, const std::filesystem::path& file, const ReferenceTables& tables) {
  ElectionRead read;
  const std::vector<std::string> lines = SplitLines(text);
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string line = Trim(lines[n]);
    if (line.empty() || line.front() == '#') continue;
    auto item = ParseElectionLine(line, tables);
    if (!item) {
      // Nothing of a file with a line that cannot be read is taken.
      return {{}, fmt::format("The election file {} cannot be read: line {} ({}): {}.", file.string(), n + 1, line,
                              item.error)};
    }
    read.election.items.push_back(*item.value);
  }
  if (read.election.items.empty())
    read.error = fmt::format("The election file {} holds no condition: expected lines such as 'require time "
                             "09:00-17:00' or 'avoid Moon void'.", file.string());
  return read;
}

ElectionRead ReadElectionFile(const std::filesystem::path& file, const ReferenceTables& tables) {
  auto text = ReadTextFile(file);
  if (!text) return {{}, fmt::format("The election file {} cannot be read.", file.string())};
  return ParseElectionText(*text, file, tables);
}

std::string ElectionFileText(const Election& election, const ReferenceTables& tables, std::string_view comment) {
  std::vector<std::string> lines;
  for (const std::string& line : SplitLines(comment)) lines.push_back("# " + line);
  for (const ElectionItem& item : election.items) lines.push_back(ElectionLineText(item, tables));
  return JoinCrlf(lines);
}

WriteResult WriteElectionFile(const std::filesystem::path& file, const Election& election,
                              const ReferenceTables& tables, std::string_view comment) {
  return WriteFileAtomically(file, ElectionFileText(election, tables, comment));
}

}  // namespace kesmora
