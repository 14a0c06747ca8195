#pragma once
// Finding the program directory and bringing a session up, as the window and the
// command-line program both start.
#include "core/app/session.h"
#include "core/persons/birth_data.h"

#include <filesystem>
#include <optional>

namespace kesmora {

class UserInterface;

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
// Fills a block with the last person of the settings. When the record cannot be read the
// message is shown and the block gets "Now" again, not the half-filled fields of the record.
void LoadLastPerson(Session& session, Person person, const std::string& name, const LocalDateTime& now,
                    UserInterface& ui);
// Fills both blocks with "Now", then the last persons of the settings that are still listed.
void FillStartPersons(Session& session, UserInterface& ui);

}  // namespace kesmora
