#pragma once
#include <CLI/CLI.hpp>

namespace kesmora::cli {
// Registers "kesmora-cli person" with "save" and "list"; the callbacks set the exit code.
void AddPersonCommand(CLI::App& app, int& exitCode);
}  // namespace kesmora::cli
