#pragma once
// Finding the program directory and bringing a session up, as the window and the
// command-line program both start.
#include "core/app/session.h"
#include "core/app/user_interface.h"
#include "core/persons/atlas.h"
#include "core/persons/birth_data.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace kesmora {

// The program directory: `home` when given, else $KESMORA_HOME, else the executable's folder
// when it holds the reference files (a build tree), else ~/.local/share/kesmora.
std::filesystem::path ResolveProgramDir(const std::optional<std::filesystem::path>& home,
                                        const std::filesystem::path& executableDir);
// Where the shipped data files are: beside the executable, in the installed share folder, or
// in the source tree this program was built from.
std::optional<std::filesystem::path> FindShippedData(const std::filesystem::path& executableDir);
// Creates a missing or empty program directory and copies the shipped files into it; in an
// existing directory only the reference files and OPTIONS.OPT are copied again, when they are
// missing or empty. Raises FatalError, naming the cause, when a copy fails.
void SeedProgramDir(const std::filesystem::path& programDir,
                    const std::optional<std::filesystem::path>& shippedData);

struct StartOptions {
  std::optional<std::filesystem::path> home;
  std::filesystem::path executableDir;
  std::optional<LocaleFormats> formats;  // instead of the locale's
};

// Folders, ephemeris path, OPTIONS.OPT, reference files, settings, date format, chart arrays
// and the names list. Raises FatalError when start-up cannot go on.
void StartSession(Session& session, const StartOptions& options);

// Reloads the names list from the current names file.
void LoadNamesList(Session& session, UserInterface& ui);
// Fills a block from a names-list entry; shows the program's message when the entry is faulty.
bool LoadPerson(Session& session, Person person, int recordIndex, UserInterface& ui);
// The clock of "Now" at the home place, asked for only when a block gets "Now" (it may read
// the atlas).
using HomeClockSource = std::function<ZoneClock()>;
// The home clock of the session's options at an instant, the system's zone taken where the
// atlas knows no place at home.
ZoneClock NowAtHome(const Session& session, const Atlas& atlas, UtcInstant instant);

// While OPTIONS.OPT still has the home place it is shipped with (Greenwich), makes the city of
// the system's time zone (`systemZone`, "Asia/Kolkata": Kolkata) the home place: options 18 to
// 24 are written into the file and read again. Returns the message that says so; nothing when
// the home place was another, the zone names no city of the atlas, or is Greenwich's own.
std::optional<Message> SeedHomePlace(Session& session, const Atlas& atlas, const std::string& systemZone,
                                     UtcInstant instant);

// Fills a block with the last person of the settings; with "Now" when there is none, it is not
// listed, or its record cannot be read (the message is shown, and the block does not keep the
// half-filled fields of the record).
void LoadLastPerson(Session& session, Person person, const std::string& name, const HomeClockSource& now,
                    UserInterface& ui);
// Loads the names list, then fills Person 2 and Person 1 (those asked for) with their last
// persons of the settings, or "Now".
void FillStartPersons(Session& session, UserInterface& ui, const HomeClockSource& now, bool person1 = true,
                      bool person2 = true);

}  // namespace kesmora
