#pragma once
#include <CLI/CLI.hpp>

namespace kesmora::cli {
// Registers "kesmora-cli chart"; the callback runs it and sets the exit code.
void AddChartCommand(CLI::App& app, int& exitCode);
}  // namespace kesmora::cli
