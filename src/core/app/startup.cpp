#include "core/app/startup.h"

#include "core/app/user_interface.h"
#include "core/persons/birth_data.h"
#include "core/reference/text.h"

#include <cstdlib>

#ifndef KESMORA_INSTALLED_DATA_DIR
#define KESMORA_INSTALLED_DATA_DIR ""
#endif
#ifndef KESMORA_SOURCE_DATA_DIR
#define KESMORA_SOURCE_DATA_DIR ""
#endif

namespace kesmora {

namespace fs = std::filesystem;

std::string Session::TitlePrefix() const { return std::string("Kesmora - v") + ProgramVersion + " - "; }

fs::path Session::SettingsFile() const { return FindIgnoringCase(programDir, SettingsFileName); }

fs::path ResolveProgramDir(const std::optional<fs::path>& home, const fs::path& executableDir) {
  if (home && !home->empty()) return fs::absolute(*home);
  if (const char* env = std::getenv("KESMORA_HOME"); env && *env) return fs::absolute(env);
  std::error_code ec;
  if (fs::exists(executableDir / "planets_used.txt", ec)) return executableDir;
  fs::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
    base = xdg;
  else if (const char* userHome = std::getenv("HOME"); userHome && *userHome)
    base = fs::path(userHome) / ".local" / "share";
  else
    base = fs::temp_directory_path();
  return base / "kesmora";
}

std::optional<fs::path> FindShippedData(const fs::path& executableDir) {
  const fs::path candidates[] = {executableDir, executableDir / ".." / "share" / "kesmora",
                                 KESMORA_INSTALLED_DATA_DIR, KESMORA_SOURCE_DATA_DIR};
  for (const fs::path& dir : candidates) {
    std::error_code ec;
    if (!dir.empty() && fs::exists(dir / "planets_used.txt", ec)) return fs::weakly_canonical(dir, ec);
  }
  return std::nullopt;
}

void SeedProgramDir(const fs::path& programDir, const std::optional<fs::path>& shippedData) {
  std::error_code ec;
  bool isNew = !fs::exists(programDir, ec) || fs::is_empty(programDir, ec);
  if (!isNew) return;
  fs::create_directories(programDir, ec);
  if (!shippedData || fs::equivalent(*shippedData, programDir, ec)) return;
  for (const auto& entry : fs::directory_iterator(*shippedData, ec)) {
    if (!entry.is_regular_file()) continue;
    std::string name = entry.path().filename().string();
    // Executables and build leftovers beside the data in a build tree are not data.
    if (name.rfind("kesmora", 0) == 0) continue;
    fs::copy_file(entry.path(), programDir / name, fs::copy_options::skip_existing, ec);
  }
}

fs::path FindIgnoringCase(const fs::path& dir, const std::string& name) {
  std::error_code ec;
  if (fs::exists(dir / name, ec)) return dir / name;
  std::string wanted = ToLower(name);
  for (const auto& entry : fs::directory_iterator(dir, ec))
    if (ToLower(entry.path().filename().string()) == wanted) return entry.path();
  return dir / name;
}

void StartSession(Session& s, const StartOptions& options) {
  s.programDir = ResolveProgramDir(options.home, options.executableDir);
  SeedProgramDir(s.programDir, FindShippedData(options.executableDir));

  std::error_code ec;
  for (const char* folder : {"ephems", "hits", "reports"}) fs::create_directories(s.programDir / folder, ec);
  PrepareEphemeris(s.programDir);

  if (!ReadOptionsFile(s.optionValues, FindIgnoringCase(s.programDir, "OPTIONS.OPT")))
    throw FatalError("I cannot find your 'OPTIONS.OPT' file");
  LoadReferenceData(s.tables, s.programDir);

  s.settings = Settings{};
  s.settings.SetPathDefaults(s.programDir);
  ReadSettings(s.settings, s.SettingsFile());
  s.formats = options.formats ? *options.formats : ReadLocaleFormats();
  s.chart.Size(s.tables.NumPlanetsUsed());
}

void LoadNamesList(Session& s, UserInterface& ui) {
  fs::path file = s.settings.dataFile.empty() ? s.programDir / "NAMES.FIL" : fs::path(s.settings.dataFile);
  s.names = ReadNamesFile(file);
  if (s.names.readError) ui.ShowMessage({MessageIcon::Stop, "Error!", NamesFileReadError});
}

bool LoadPerson(Session& s, Person person, int recordIndex, UserInterface& ui) {
  if (recordIndex < 0 || recordIndex >= static_cast<int>(s.names.records.size())) return false;
  PersonFields& fields = person == Person::One ? s.person1 : s.person2;
  if (LoadPersonFromRecord(s.names.records[static_cast<size_t>(recordIndex)], fields, s.formats.dateOrder))
    return true;
  ui.ShowMessage({MessageIcon::Stop, "Error!", SelectedDataError});
  return false;
}

void FillStartPersons(Session& s, UserInterface& ui) {
  LocalDateTime now = CurrentLocalTime();
  FillWithNow(s.person1, Person::One, now, s.optionValues);
  FillWithNow(s.person2, Person::Two, now, s.optionValues);
  LoadNamesList(s, ui);
  if (!s.settings.personName2.empty()) LoadPerson(s, Person::Two, s.names.Find(s.settings.personName2), ui);
  if (!s.settings.personName1.empty()) LoadPerson(s, Person::One, s.names.Find(s.settings.personName1), ui);
}

}  // namespace kesmora
