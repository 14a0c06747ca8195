#pragma once
#include <CLI/CLI.hpp>

namespace kesmora::cli {
// Registers "kesmora-cli atlas"; the callback runs it and sets the exit code.
void AddAtlasCommand(CLI::App& app, int& exitCode);
}  // namespace kesmora::cli
