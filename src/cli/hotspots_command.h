#pragma once
#include <CLI/CLI.hpp>

namespace kesmora::cli {
// Registers "kesmora-cli hotspots"; the callback runs it and sets the exit code.
void AddHotspotsCommand(CLI::App& app, int& exitCode);
}  // namespace kesmora::cli
