#pragma once
#include "cli_common.h"
#include "core/search/run_options.h"

#include <CLI/CLI.hpp>

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

// Registers "kesmora-cli aspectarian"; the callback runs it and sets the exit code.
void AddAspectarianCommand(CLI::App& app, int& exitCode);
}  // namespace kesmora::cli
