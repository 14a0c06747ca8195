#include "core/settings/selection_file.h"

#include "core/reference/text.h"

namespace kesmora {

namespace {

template <typename F>
void ForEachBox(F f) {
  for (int k = 0; k < NumPlanetBoxes; ++k) f(0, k);
  for (int k = 0; k < NumPlanetBoxes; ++k) f(1, k);
  for (int k = 0; k < NumAspectBoxes; ++k) f(2, k);
}

int& Box(Settings& s, int group, int k) {
  size_t i = static_cast<size_t>(k);
  return group == 0 ? s.chkP1Planets[i] : group == 1 ? s.chkP2Planets[i] : s.chkAspects[i];
}

}  // namespace

std::string SelectionText(const Settings& settings, const ReferenceTables& tables) {
  Settings s = settings;
  std::vector<std::string> lines;
  ForEachBox([&](int group, int k) {
    std::string caption = group == 2 ? tables.aspectCaptions[static_cast<size_t>(k)]
                          : k < tables.NumPlanetsUsed() ? tables.Planet(k + 1).name
                                                        : "";
    lines.push_back(std::to_string(Box(s, group, k)) + " - " + caption);
  });
  return JoinCrlf(lines);
}

SelectionLoad ParseSelectionText(Settings& settings, std::string_view text) {
  std::vector<std::string> lines = SplitLines(text);
  if (lines.size() < SelectionLines) return {SelectionLoad::Status::TooShort, lines.size()};
  size_t n = 0;
  ForEachBox([&](int group, int k) {
    const std::string& line = lines[n++];
    Box(settings, group, k) = !line.empty() && line[0] == '1' ? 1 : 0;
  });
  return {SelectionLoad::Status::Loaded, lines.size()};
}

SelectionLoad ReadSelectionFile(Settings& settings, const std::filesystem::path& file) {
  auto text = ReadWholeFile(file);
  if (!text) return {SelectionLoad::Status::Unreadable, 0};
  return ParseSelectionText(settings, *text);
}

std::string SelectionLoadError(const SelectionLoad& load, const std::string& file) {
  switch (load.status) {
    case SelectionLoad::Status::Loaded: return "";
    case SelectionLoad::Status::Unreadable: return "The file " + file + " cannot be read.";
    case SelectionLoad::Status::TooShort:
      return "The file " + file + " has " + std::to_string(load.lineCount) + " lines; a settings file has " +
             std::to_string(SelectionLines) + ". No box was changed.";
  }
  return "";
}

WriteResult WriteSelectionFile(const Settings& settings, const ReferenceTables& tables,
                               const std::filesystem::path& file) {
  return WriteFileAtomically(file, SelectionText(settings, tables));
}


}  // namespace kesmora
