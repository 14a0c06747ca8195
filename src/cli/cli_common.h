#pragma once
// What every kesmora-cli command shares: the session, persons and chart choices.
#include "core/app/session.h"
#include "core/app/user_interface.h"

#include <CLI/CLI.hpp>

#include "core/reference/text.h"

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace kesmora::cli {

// A fault in the command line or its data: printed as one line, exit code 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Messages go to standard error; the first one that stops the work is remembered.
class ConsoleInterface : public UserInterface {
 public:
  void ShowMessage(const Message& message) override;
  void SetBusy(bool) override {}
  std::optional<Message> first;
};

// The options of the program itself, which every command takes before or after its name:
// --home DIR, --version and --help.
void AddProgramOptions(CLI::App& app);

// The program directory named with --home, empty when none was given; `command` is the
// program or any of its commands.
std::string HomeOption(const CLI::App& command);

struct CommonOptions {
  const CLI::App* command = nullptr;  // where --home is read
  std::string namesFile;
  std::string natal, natalData;
  std::string transit, transitData;
  bool transitNow = false;
  std::string now;  // the instant of "Now", UTC; the system clock when empty
  std::string zodiac, houses;
  int dateOrder = -1;
  // Whether the command computes a natal chart; without one Person 1 is not filled.
  bool natalUsed = true;

  void AddTo(CLI::App& command);
};

// Writes a text made piece by piece to a file, or to standard output for "-", CR LF kept as
// written. A file is replaced only once it is whole; one that cannot be written is a UsageError.
void Emit(const std::string& target, const std::function<void(const TextSink&)>& write);

// Starts a session in the program directory (`home`, or where the program finds it); a date
// order of 0 to 2 instead of the locale's.
void StartCliSession(Session& session, const std::string& home, int dateOrder, const std::string& executable);

// Starts the session from the options, then places the persons and the chart choices.
void PrepareSession(Session& session, const CommonOptions& options, const std::string& executable,
                    ConsoleInterface& ui);

}  // namespace kesmora::cli
