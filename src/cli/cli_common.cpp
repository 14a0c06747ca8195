#include "cli_common.h"

#include "core/app/startup.h"
#include "core/persons/birth_data.h"
#include "core/reference/reference_tables.h"
#include "core/reference/text.h"

#include <fmt/format.h>

#include <date/date.h>

#include <iostream>
#include <regex>

namespace kesmora::cli {

namespace fs = std::filesystem;

void ConsoleInterface::ShowMessage(const Message& message) {
  if (!first) first = message;
  // One line per message: the lines of a message box are joined.
  std::string text = message.text;
  for (char& c : text)
    if (c == '\n') c = ' ';
  std::cerr << message.title << " " << text << "\n";
}

void AddProgramOptions(CLI::App& app) {
  app.set_version_flag("--version", std::string("kesmora-cli ") + ProgramVersion);
  app.add_option("--home", "Program directory (default: $KESMORA_HOME, the build tree, or ~/.local/share/kesmora)")
      ->type_name("DIR")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);  // a wrapper's --home yields to the caller's
  // The commands made after this hand the options above back to the program, so --home may
  // follow a command's name as well as precede it.
  app.fallthrough();
}

std::string HomeOption(const CLI::App& command) {
  const CLI::App* program = &command;
  while (program->get_parent() != nullptr) program = program->get_parent();
  const CLI::Option* home = program->get_option_no_throw("--home");
  return home != nullptr && home->count() > 0 ? home->results().back() : std::string();
}

void CommonOptions::AddTo(CLI::App& c) {
  command = &c;
  c.add_option("--names-file", namesFile, "Names file of --natal and --transit (default: the current names file)");
  auto* n1 = c.add_option("--natal", natal, "Person 1 by name from the names file");
  auto* n2 = c.add_option("--natal-data", natalData,
                          "Person 1 as a names-file record: name,date,time,A/P/U,zone,longitude,latitude,state,city");
  n1->excludes(n2);
  auto* t1 = c.add_option("--transit", transit, "Person 2 by name from the names file");
  auto* t2 = c.add_option("--transit-data", transitData, "Person 2 as a names-file record");
  auto* t3 = c.add_flag("--transit-now", transitNow, "Person 2 is now at the home place of OPTIONS.OPT");
  t1->excludes(t2)->excludes(t3);
  t2->excludes(t3);
  c.add_option("--now", now, "The instant \"Now\" stands for, UTC: YYYY-MM-DDTHH:MMZ (default: the system clock)");
  c.add_option("--zodiac", zodiac, "tropical or sidereal")->check(CLI::IsMember({"tropical", "sidereal"}));
  c.add_option("--houses", houses, "placidus, koch, wholesign or equal")
      ->check(CLI::IsMember({"placidus", "koch", "wholesign", "equal"}));
  c.add_option("--date-order", dateOrder, "0 month/day/year, 1 day/month/year, 2 year/month/day")
      ->check(CLI::Range(0, 2));
}

namespace {

void PlaceByName(Session& s, Person person, const std::string& name) {
  int index = s.names.Find(name);
  if (index < 0) throw UsageError(fmt::format("no person named '{}' in {}", name, s.settings.dataFile));
  std::string problem;
  NamesRecord record = s.names.records[static_cast<size_t>(index)];
  if (!LoadPersonFromRecord(record, person == Person::One ? s.person1 : s.person2, s.formats.dateOrder, &problem))
    throw UsageError(fmt::format("the {} of '{}' in {} cannot be read", problem, name, s.settings.dataFile));
}

void PlaceByRecord(Session& s, Person person, const std::string& record) {
  std::optional<NamesRecord> parsed = ParseNamesLine(record);
  if (!parsed) throw UsageError(fmt::format("'{}' is not a record of nine comma-separated fields", record));
  if (Trim(parsed->name).empty()) throw UsageError(fmt::format("the name of '{}' is empty", record));
  PersonFields& fields = person == Person::One ? s.person1 : s.person2;
  std::string problem;
  if (!LoadPersonFromRecord(*parsed, fields, s.formats.dateOrder, &problem))
    throw UsageError(fmt::format("the {} of '{}' cannot be read", problem, record));
}

// "2026-03-08T07:30Z", or with seconds.
UtcInstant InstantOf(const std::string& text) {
  static const std::regex pattern(R"((\d{4})-(\d{2})-(\d{2})T(\d{2}):(\d{2})(?::(\d{2}))?Z)");
  std::smatch m;
  if (std::regex_match(text, m, pattern)) {
    const CivilDate day{std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])};
    const int hour = std::stoi(m[4]), minute = std::stoi(m[5]), second = m[6].matched ? std::stoi(m[6]) : 0;
    if (ValidDate(day) && hour < 24 && minute < 60 && second < 60)
      return UtcInstant{date::sys_days{date::year(day.year) / day.month / day.day} +
                        std::chrono::seconds(hour * 3600 + minute * 60 + second)};
  }
  throw UsageError(fmt::format("'{}' is not an instant YYYY-MM-DDTHH:MMZ (UTC)", text));
}

}  // namespace

void Emit(const std::string& target, const std::function<void(const TextSink&)>& write) {
  if (target == "-") {
    write([](std::string_view piece) { std::cout.write(piece.data(), static_cast<std::streamsize>(piece.size())); });
    std::cout.flush();
    return;
  }
  if (WriteResult written = WriteFileAtomically(target, write); !written)
    throw UsageError(fmt::format("cannot write '{}': {}", target, written.error));
}

void StartCliSession(Session& s, const std::string& home, int dateOrder, const std::string& executable) {
  StartOptions start;
  if (!home.empty()) start.home = fs::path(home);
  std::error_code ec;
  fs::path exe = fs::canonical("/proc/self/exe", ec);
  start.executableDir = ec ? fs::absolute(executable).parent_path() : exe.parent_path();
  if (dateOrder >= 0) {
    LocaleFormats f = ReadLocaleFormats();
    f.dateOrder = static_cast<DateOrder>(dateOrder);
    start.formats = f;
  }
  StartSession(s, start);
}

void PrepareSession(Session& s, const CommonOptions& o, const std::string& executable, ConsoleInterface& ui) {
  const UtcInstant instant = o.now.empty() ? CurrentInstant() : InstantOf(o.now);
  StartCliSession(s, o.command != nullptr ? HomeOption(*o.command) : std::string(), o.dateOrder, executable);
  if (!o.namesFile.empty()) s.settings.dataFile = fs::absolute(o.namesFile).string();
  // The clock of the home place, from the atlas read only when a person is "Now".
  std::optional<ZoneClock> homeClock;
  const HomeClockSource now = [&] {
    if (!homeClock) homeClock = NowAtHome(s, Atlas::Shipped(), instant);
    return *homeClock;
  };
  const bool natalGiven = !o.natal.empty() || !o.natalData.empty();
  const bool transitGiven = !o.transit.empty() || !o.transitData.empty() || o.transitNow;
  FillStartPersons(s, ui, now, o.natalUsed && !natalGiven, !transitGiven);
  ui.first.reset();  // a faulty stored last person does not stop a command that names others

  if (!o.natal.empty()) PlaceByName(s, Person::One, o.natal);
  if (!o.natalData.empty()) PlaceByRecord(s, Person::One, o.natalData);
  if (!o.transit.empty()) PlaceByName(s, Person::Two, o.transit);
  if (!o.transitData.empty()) PlaceByRecord(s, Person::Two, o.transitData);
  if (o.transitNow) FillWithNow(s.person2, Person::Two, now(), s.optionValues);

  if (!o.zodiac.empty()) s.settings.optZodiac = {o.zodiac == "tropical", o.zodiac == "sidereal"};
  if (!o.houses.empty()) {
    static const char* names[] = {"placidus", "koch", "wholesign", "equal"};
    for (size_t k = 0; k < 4; ++k) s.settings.optHouseSystem[k] = o.houses == names[k];
  }
}

}  // namespace kesmora::cli
