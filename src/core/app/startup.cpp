#include "core/app/startup.h"

#include "core/app/names_commands.h"
#include "core/app/user_interface.h"
#include "core/reference/text.h"

#include <fmt/format.h>

#include <array>
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

namespace {

// The files a program directory is made with: those data/ ships, and nothing else that lies
// beside them (in a build tree the programs and test programs do).
constexpr const char* kShippedFiles[] = {
    "planet_constants_and_indexes.txt", "aspect_definitions.txt", "planets_used.txt", "planet_names.txt",
    "OPTIONS.OPT", "OPTIONS.MST", "NAMES.FIL", "TIPOFDAY.TXT", "Kesmora.TXT", "INSTRUCTIONS.TXT", "OPTIONS.TXT",
    "OUTPUTD1.TXT", "SELECT.TXT", "PRNTFILE.TXT", "HOW_DO_I.TXT", "READING.TXT", "TIPS.TXT", "SHORTCUT.TXT",
    "REVISION.TXT"};

// The files start-up cannot do without. They are copied again when missing or empty, as a
// seeding on a full disk leaves them.
bool IsRequiredFile(const std::string& name) {
  for (const char* r : ReferenceFileNames)
    if (ToLower(name) == ToLower(r)) return true;
  return ToLower(name) == ToLower(OptionsFileName);
}

bool MissingOrEmpty(const fs::path& file) {
  std::error_code ec;
  return !fs::is_regular_file(file, ec) || fs::file_size(file, ec) == 0 || ec;
}

[[noreturn]] void CannotSeed(const std::string& name, const fs::path& programDir, const std::string& why) {
  throw FatalError(fmt::format("I cannot copy '{}' into the program folder {}: {}.", name, programDir.string(), why));
}

}  // namespace

void SeedProgramDir(const fs::path& programDir, const std::optional<fs::path>& shippedData) {
  std::error_code ec;
  bool isNew = !fs::exists(programDir, ec) || fs::is_empty(programDir, ec);
  fs::create_directories(programDir, ec);
  if (!fs::is_directory(programDir)) {
    if (!ec) ec = std::make_error_code(std::errc::not_a_directory);
    throw FatalError(fmt::format("I cannot create the program folder {}: {}.", programDir.string(), ec.message()));
  }
  if (!shippedData || fs::equivalent(*shippedData, programDir, ec)) return;
  for (const char* name : kShippedFiles) {
    const fs::path source = *shippedData / name;
    if (!fs::is_regular_file(source, ec)) continue;  // an install without the help texts
    fs::path target = FindIgnoringCase(programDir, name);
    bool wanted = isNew ? !fs::exists(target, ec) : IsRequiredFile(name) && MissingOrEmpty(target);
    if (!wanted) continue;
    // Through a temporary file, so a failed copy leaves no empty or partial file behind.
    auto contents = ReadWholeFile(source);
    if (!contents) CannotSeed(name, programDir, "the shipped file cannot be read");
    if (WriteResult written = WriteFileAtomically(target, *contents); !written)
      CannotSeed(name, programDir, written.error);
  }
}

void StartSession(Session& s, const StartOptions& options) {
  s.programDir = ResolveProgramDir(options.home, options.executableDir);
  SeedProgramDir(s.programDir, FindShippedData(options.executableDir));

  std::error_code ec;
  for (const char* folder : {"ephems", "hits", "reports"}) fs::create_directories(s.programDir / folder, ec);
  s.ephemeris = std::make_shared<EphemerisThread>(s.programDir);

  if (!ReadOptionsFile(s.optionValues, FindIgnoringCase(s.programDir, OptionsFileName)))
    throw FatalError("I cannot find your 'OPTIONS.OPT' file");
  LoadReferenceData(s.tables, s.programDir);

  s.settings = Settings{};
  s.settings.SetPathDefaults(s.programDir);
  ReadSettings(s.settings, s.SettingsFile());
  s.formats = options.formats ? *options.formats : ReadLocaleFormats();
  s.chart.Size(s.tables.NumPlanetsUsed());
}

void LoadNamesList(Session& s, UserInterface& ui) {
  const fs::path file = CurrentNamesFile(s);
  s.names = ReadNamesFile(file);
  if (!s.names.opened)
    ui.ShowMessage({MessageIcon::Stop, "Error!", "I cannot open the names file " + file.string() + "."});
  if (!s.names.unreadable.empty())
    ui.ShowMessage({MessageIcon::Stop, "Error!", NamesFileErrorText(file, s.names.unreadable)});
}

bool LoadPerson(Session& s, Person person, int recordIndex, UserInterface& ui) {
  if (recordIndex < 0 || recordIndex >= static_cast<int>(s.names.records.size())) return false;
  PersonFields& fields = person == Person::One ? s.person1 : s.person2;
  NamesRecord& record = s.names.records[static_cast<size_t>(recordIndex)];
  // From its first use on, the table holds the date in the order of the system's dates.
  record.date = StoredDateInOrder(record.date, s.formats.dateOrder);
  if (LoadPersonFromRecord(record, fields, s.formats.dateOrder)) return true;
  ui.ShowMessage({MessageIcon::Stop, "Error!", SelectedDataError});
  return false;
}

void LoadLastPerson(Session& s, Person person, const std::string& name, const HomeClockSource& now,
                    UserInterface& ui) {
  const int index = name.empty() ? -1 : s.names.Find(name);
  if (index >= 0 && LoadPerson(s, person, index, ui)) return;
  FillWithNow(person == Person::One ? s.person1 : s.person2, person, now(), s.optionValues);
}

void FillStartPersons(Session& s, UserInterface& ui, const HomeClockSource& now, bool person1, bool person2) {
  LoadNamesList(s, ui);
  if (person2) LoadLastPerson(s, Person::Two, s.settings.personName2, now, ui);
  if (person1) LoadLastPerson(s, Person::One, s.settings.personName1, now, ui);
}

ZoneClock NowAtHome(const Session& s, const Atlas& atlas, UtcInstant instant) {
  return HomeClockAt(atlas, s.optionValues, SystemZoneName(), instant);
}

std::optional<Message> SeedHomePlace(Session& s, const Atlas& atlas, const std::string& systemZone,
                                     UtcInstant instant) {
  if (!HasShippedHome(s.optionValues)) return std::nullopt;
  const std::optional<size_t> index = ZoneCityPlace(atlas, systemZone);
  if (!index) return std::nullopt;
  const AtlasPlace& place = atlas.Place(*index);
  const std::optional<ZoneClock> clock = ZoneClockAt(systemZone, instant);
  const std::optional<ZoneInForce> zone =
      clock ? ZoneAt(systemZone, clock->clock, place.longitudeWestDeg) : std::nullopt;
  if (!zone) return std::nullopt;
  // Greenwich keeps London's clock: nothing to change there.
  const std::vector<size_t> greenwich = atlas.Near(51 + 29 / 60.0, 0, 100);
  if (!greenwich.empty() && atlas.Place(greenwich.front()).zoneName == systemZone) return std::nullopt;

  const fs::path file = FindIgnoringCase(s.programDir, "OPTIONS.OPT");
  const std::array<float, 7> values = HomeOptionValues(place, zone->standardHoursWest);
  std::optional<std::string> seeded = ReadWholeFile(file);
  for (size_t k = 0; k < values.size() && seeded; ++k)
    seeded = WithOptionValue(*seeded, option::HomeTimeZone + static_cast<int>(k), values[k]);
  if (!seeded) return std::nullopt;  // a file of other lines is the user's own
  ParseOptionsText(s.optionValues, *seeded);
  const std::string where = fmt::format(
      "{}, {} ({} deg {} min {}, {} deg {} min {}, time zone {})", place.city, place.StateOrCountry(),
      NumberText(values[4]), NumberText(values[5]), values[6] == 0 ? "North" : "South", NumberText(values[1]),
      NumberText(values[2]), values[3] == 0 ? "West" : "East", ZoneFieldText(values[0]));
  if (WriteResult written = WriteFileAtomically(file, *seeded); !written)
    return Message{MessageIcon::Warning, "Warning!",
                   fmt::format("Your home place for \"Now\" is {} for this session, the city of this computer's "
                               "time zone {}; it could not be written to {}: {}.",
                               where, systemZone, file.string(), written.error)};
  return Message{MessageIcon::Information, "Information",
                 fmt::format("Your home place for \"Now\" is now {}, the city of this computer's time zone {}. "
                             "You can change it under Option Settings (options 18 to 24 of OPTIONS.OPT).",
                             where, systemZone)};
}

}  // namespace kesmora
