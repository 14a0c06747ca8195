#include "core/settings/selection_file.h"

#include "core/reference/text.h"
#include "core/settings/options_file.h"

#include <iterator>
#include <vector>

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
  auto text = ReadTextFile(file);
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

std::optional<std::string> ProgramFileRefusal(const std::filesystem::path& file,
                                              const std::filesystem::path& programDir) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // The file a write would reach: links followed, also one to a file not made yet.
  fs::path target = fs::absolute(file, ec);
  for (int hops = 0; hops < 40 && fs::is_symlink(target, ec); ++hops) {
    const fs::path link = fs::read_symlink(target, ec);
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  target = fs::weakly_canonical(target, ec);
  if (ec || !fs::equivalent(target.parent_path(), programDir, ec)) return std::nullopt;
  const std::string name = ToLower(target.filename().string());
  std::vector<const char*> own = {OptionsFileName, MasterOptionsFileName, SettingsFileName};
  own.insert(own.end(), std::begin(ReferenceFileNames), std::end(ReferenceFileNames));
  for (const char* programFile : own)
    if (name == ToLower(programFile))
      return target.filename().string() +
             " is one of the program's own files. Please choose another name for your settings file.";
  return std::nullopt;
}

WriteResult WriteSelectionFile(const Settings& settings, const ReferenceTables& tables,
                               const std::filesystem::path& file) {
  return WriteFileAtomically(file, SelectionText(settings, tables));
}


}  // namespace kesmora
