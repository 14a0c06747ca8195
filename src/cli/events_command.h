#pragma once
#include <CLI/CLI.hpp>

namespace kesmora::cli {
// Registers "kesmora-cli events"; the callback runs it and sets the exit code.
void AddEventsCommand(CLI::App& app, int& exitCode);
}  // namespace kesmora::cli
