#pragma once
#include "cli_common.h"
#include "core/reference/text.h"
#include "core/search/aspectarian.h"
#include "core/search/run_options.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <optional>
#include <string>

namespace kesmora::cli {

// The persons and the choices of a search, shared by the commands that run one.
struct RunCliOptions {
  CommonOptions common;
  std::string selection, period, passes;
  std::optional<int> days;
  std::optional<double> orbBefore, orbAfter, window;
  bool exactEphemeris = false;
  int threads = 0;
  int maxHits = MaxHitRowsDefault;  // 0: no limit
  std::string mpn, mpt, nmp, nak, apt, t2n;
  bool tmpNatal = false, tmpTransit = false, tNmp = false, tmpNmp = false;
};
void AddRunOptions(CLI::App& command, RunCliOptions& options);

// Starts the session from the options, computes both charts and runs the search into
// session.run; false when the charts could not be computed (the messages are printed).
bool RunSearch(RunCliOptions& options, const std::string& program, Session& session, ConsoleInterface& ui);

// The first half of RunSearch: the session started, the selection applied and both charts
// computed; nothing when the charts could not be computed. `beforeCharts` is called once the
// session has its tables, before the charts are computed (to check what needs them).
std::optional<RunInput> PrepareSearch(RunCliOptions& options, const std::string& program, Session& session,
                                      ConsoleInterface& ui, const std::function<void()>& beforeCharts = {});
// The second half: the search run into session.run.
void RunPreparedSearch(const RunInput& input, Session& session, ConsoleInterface& ui);

// A number within the limits; unlike a plain range it refuses "nan", which compares with nothing.
CLI::Validator NumberBetween(double least, double most);

// Writes a text made piece by piece to a file, or to standard output for "-", CR LF kept as
// written. A file is replaced only once it is whole.
void Emit(const std::string& target, const std::function<void(const TextSink&)>& write);

// Registers "kesmora-cli aspectarian"; the callback runs it and sets the exit code.
void AddAspectarianCommand(CLI::App& app, int& exitCode);
}  // namespace kesmora::cli
