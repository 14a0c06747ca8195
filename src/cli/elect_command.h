#pragma once
#include <CLI/CLI.hpp>

namespace kesmora::cli {
// Registers "kesmora-cli elect"; the callback runs it and sets the exit code.
void AddElectCommand(CLI::App& app, int& exitCode);
}  // namespace kesmora::cli
