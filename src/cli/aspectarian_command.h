#pragma once
#include <CLI/CLI.hpp>

namespace kesmora::cli {
// Registers "kesmora-cli aspectarian"; the callback runs it and sets the exit code.
void AddAspectarianCommand(CLI::App& app, int& exitCode);
}  // namespace kesmora::cli
